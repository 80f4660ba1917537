// The live view in the control window: the start button, the packet pump on
// its timer, the status line and the trace painted below the chart's top line.
#include "CControlDlg.h"
#include "LivePacketBuilder.h"
#include "PortNames.h"
#include "TempDir.h"
#include "TestDialogs.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

namespace {

bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 20000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QTest::qWait(10);
    }
    return true;
}

int InkedPixels(const QImage& image, int fromRow)
{
    int n = 0;
    for (int y = std::max(fromRow, 0); y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += qGray(image.pixel(x, y)) < 40;
    return n;
}

} // namespace

TEST(LiveWindow, StartButtonThenPacketsShowStatusAndTrace)
{
    UseFreshSettings();
    TestDialogs dialogs;
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ::grantpt(master);
    ::unlockpt(master);
    SetComPortPathOverride(9, ::ptsname(master));

    ControlDlgOptions options;
    options.portSelect = 9;
    CControlDlg dlg(options);
    dlg.resize(1000, 700);
    dlg.show();
    ASSERT_TRUE(dlg.m_Port.IsOpen());
    auto* status = static_cast<QLineEdit*>(dlg.Item(1012));

    static_cast<QPushButton*>(dlg.Item(1002))->click();
    uint8_t sent[2] = {};
    ASSERT_TRUE(WaitFor([&] { return ::read(master, sent, 2) == 2; }));
    EXPECT_EQ(sent[0], 0xCD);
    EXPECT_EQ(sent[1], 0x0A);
    EXPECT_EQ(dlg.m_Mode, 0);
    EXPECT_TRUE(dlg.TimerActive(10));

    std::vector<uint8_t> bytes;
    for (uint32_t k = 0; k < 3; ++k) {
        const auto packet = MakeLivePacket(
            {.firstSector = 0x12340, .position = 0x12340 + k, .ticks = 2340 * k, .flags = 0x0B, .sample = [k](int i) {
                 return uint16_t(5000 + ((i + 234 * k) % 300) * 10);
             }});
        bytes.insert(bytes.end(), packet.begin(), packet.end());
    }
    ASSERT_EQ(::write(master, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    ASSERT_TRUE(WaitFor([&] { return status->text().contains("ПОЗ=0x12342"); })) << status->text().toStdString();
    EXPECT_TRUE(status->text().startsWith("ИДЕТ ЗАПИСЬ на SDv2 HC, ФАЙЛ=0x12340, ПОЗ=0x12342, ВРЕМЯ 0.5 сек, T = 36.2"))
        << status->text().toStdString();
    EXPECT_EQ(dlg.m_CurrentFileStartAdr, 0x12340u);

    // The trace lies below the chart's top line and reaches up to it.
    const QImage shot = dlg.grab().toImage();
    EXPECT_GT(InkedPixels(shot, dlg.m_ChartTop - 1), dlg.width() / 2);
    int topRowInk = 0;
    for (int x = 0; x < shot.width(); ++x)
        topRowInk += qGray(shot.pixel(x, dlg.m_ChartTop - 1)) < 40;
    EXPECT_GT(topRowInk, 0);

    // Control mode paints no trace.
    dlg.SetMode(1);
    EXPECT_EQ(InkedPixels(dlg.grab().toImage(), dlg.height() - 5), 0);
    dlg.m_Port.Close();
    ::close(master);
}

TEST(LiveWindow, PulledCableEndsTheLiveViewWithTheMessage)
{
    UseFreshSettings();
    TestDialogs dialogs;
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ::grantpt(master);
    ::unlockpt(master);
    SetComPortPathOverride(9, ::ptsname(master));
    ControlDlgOptions options;
    options.portSelect = 9;
    CControlDlg dlg(options);
    ASSERT_TRUE(dlg.m_Port.IsOpen());
    ASSERT_EQ(dlg.m_Mode, 0);
    ::close(master);
    ASSERT_TRUE(WaitFor([&] { return dialogs.Count() > 0; }));
    QTest::qWait(100); // more ticks must not repeat the message
    ASSERT_EQ(dialogs.Count(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].caption, "ОШИБКА ПРИ РАБОТЕ С ПОРТОМ");
    EXPECT_EQ(dialogs.Messages()[0].text.rfind("Ошибка при чтении данных с выбранного порта\n", 0), 0u);
    EXPECT_FALSE(dlg.m_Port.IsOpen());
    EXPECT_EQ(static_cast<QLineEdit*>(dlg.Item(1012))->text(), "Ошибка при чтении данных с выбранного порта");
    EXPECT_FALSE(dlg.Item(1002)->isEnabled());
}
