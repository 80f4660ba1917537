// The hex view: the image as text in a monospace font, with the words that
// differ from the device's image in bold blue.
#include "CProgrammerDlg.h"

#include "HexView.h"

#include <QScrollBar>
#include <QTextCursor>
#include <QTextEdit>

#include <vector>

namespace {

QFont HexViewFont()
{
    // "Courier New" where it is installed, else the nearest monospace font.
    QFont font("Courier New");
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPointSize(11);
    return font;
}

} // namespace

void CProgrammerDlg::RefreshHexView()
{
    const OProgramImage& image = m_Programmer.m_Image;
    std::vector<bool> differs(kProgramWords, false);
    for (const int w : DifferingWords(image, m_Programmer.m_DeviceImage))
        differs[static_cast<size_t>(w)] = true;

    QTextCharFormat plain;
    plain.setFont(HexViewFont());
    plain.setForeground(Qt::black);
    QTextCharFormat marked = plain;
    marked.setFontWeight(QFont::Bold);
    marked.setForeground(QColor(0, 0, 255));

    const int scroll = m_HexView->verticalScrollBar()->value();
    m_HexView->clear();
    m_HexView->setCurrentFont(HexViewFont());
    QTextCursor cursor(m_HexView->document());
    cursor.beginEditBlock();
    for (int line = 0; line < kHexViewLines; ++line) {
        if (line > 0)
            cursor.insertBlock();
        const QString text = QString::fromStdString(HexViewLine(image, line));
        // Runs of one format go in as one piece.
        int runStart = 0;
        bool runMarked = false;
        for (int i = 0; i <= kHexViewWordsPerLine; ++i) {
            const bool wordMarked = i < kHexViewWordsPerLine && differs[static_cast<size_t>(line * 8 + i)];
            const int column = i < kHexViewWordsPerLine ? HexViewWordColumn(i) : static_cast<int>(text.size());
            if (i == kHexViewWordsPerLine || wordMarked != runMarked) {
                cursor.insertText(text.mid(runStart, column - runStart), runMarked ? marked : plain);
                runStart = column;
                runMarked = wordMarked;
            }
        }
    }
    cursor.endEditBlock();
    // The view stays where the user had scrolled it, not at the text's end.
    m_HexView->setTextCursor(QTextCursor(m_HexView->document()));
    m_HexView->verticalScrollBar()->setValue(scroll);
}
