// The window's language: its texts, its title, the words of its traffic.
#include "mainwindow.h"
#include "shell/vendor.h"
#include "ui_mainwindow.h"

#include <algorithm>

namespace {

constexpr int ENGLISH_TITLE_GAP = 27;
constexpr int LAYOUT_DEPTH = 10; // layouts nested in the window, and then some
constexpr int CHINESE_TITLE_GAP = 30;

QString titlePrefix(bool english)
{
    return english ? QStringLiteral("Dravo Pakto Debugger ")
                   : QStringLiteral("德瑞 Pakto 调试助手 ");
}

} // namespace

// A translation that would not load leaves the widget texts as they were.
void MainWindow::applyLanguage()
{
    if (language.apply(isEnglish)) {
        ui->retranslateUi(this);
        showStateCaptions(); // the text routine gives every button its idle caption
        nameLineChoices();
    }
    // After retranslateUi, which leaves the title empty.
    const int gap = isEnglish ? ENGLISH_TITLE_GAP : CHINESE_TITLE_GAP;
    setWindowTitle(titlePrefix(isEnglish) + QStringLiteral("v" PAKTO_VERSION) +
                   QString(gap, QLatin1Char(' ')) + QLatin1String(vendor::MAIN_ADDRESS));
}

void MainWindow::showStateCaptions()
{
    ui->btn_ser_conn->setText(portCaption());
    showSendModes();
}

void MainWindow::on_btn_language_clicked()
{
    const int widthBefore = width();
    isEnglish = !isEnglish;
    saveSettings();
    loadSettings(); // applies the language, then restores the fields it reset
    refreshBanner();
    fitLanguage(widthBefore);
}

// A language that needs a wider window widens it, and gives the width back
// when it goes.
void MainWindow::fitLanguage(int widthBefore)
{
    // Each pass of layout requests carries the new texts' sizes one layout up.
    for (int level = 0; level < LAYOUT_DEPTH; ++level)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    const int needed = minimumSizeHint().width();
    if (needed > widthBefore) {
        widthBeforeGrowth = widthBeforeGrowth > 0 ? widthBeforeGrowth : widthBefore;
        resize(needed, height());
    } else if (widthBeforeGrowth > 0) {
        resize(std::max(widthBeforeGrowth, needed), height());
        widthBeforeGrowth = 0;
    }
}
