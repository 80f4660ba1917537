#pragma once
// The modal "Ждите, идет обработка ЭКГ" dialog shown while the worker runs a
// pass: progress once a second, "Отмена" only raises the cancel flag, and the
// dialog closes when the worker reports the end of the pass (PassEnded).
#include <QDialog>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

class CWaitDialog : public QDialog {
    Q_OBJECT
public:
    struct Sources {
        std::string filePath;
        int32_t sectorCount = 0;
        const std::atomic<int32_t>* progress = nullptr; // sector being read
        std::function<int()> impulseCount;              // found so far
        std::atomic<int32_t>* cancel = nullptr;
        std::string title = "Ждите, идет обработка ЭКГ";
        // Another job than the pass: its own progress text.
        std::function<std::string()> text;
    };
    CWaitDialog(QWidget* parent, Sources sources);

public slots:
    // Called (queued) by the worker's end-of-pass report.
    void PassEnded();

protected:
    void reject() override; // Escape and the title bar's close: cancel only
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void UpdateDisplay();

    Sources m_Sources;
    QProgressBar* m_Bar;
    QLabel* m_Text;
    QPushButton* m_Cancel;
    QTimer* m_Timer;
    bool m_Ended = false;
};
