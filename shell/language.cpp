// The interface language: Chinese is the source text, English comes from a
// translation file beside the program.
#include "app/mainwindow.h"
#include "shell/datafiles.h"
#include "shell/vendor.h"
#include "ui_mainwindow.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace {

constexpr int ENGLISH_TITLE_GAP = 27;
constexpr int CHINESE_TITLE_GAP = 30;

QString translationFile(bool english)
{
    return findDataFile(english ? QStringLiteral("en.qm") : QStringLiteral("cn.qm"));
}

QString titlePrefix(bool english)
{
    return english ? QStringLiteral("Dravo Pakto Debugger ")
                   : QStringLiteral("德瑞 Pakto 调试助手 ");
}

} // namespace

void MainWindow::applyLanguage()
{
    // A failed load leaves the translator empty and the widget texts as they were.
    if (translator.load(translationFile(isEnglish))) {
        QCoreApplication::installTranslator(&translator);
        ui->retranslateUi(this);
        showStateCaptions(); // the text routine gives every button its idle caption
    }
    applyQtLanguage();
    // After retranslateUi, which sets the bare version as the title.
    const int gap = isEnglish ? ENGLISH_TITLE_GAP : CHINESE_TITLE_GAP;
    setWindowTitle(titlePrefix(isEnglish) + baseTitle + QString(gap, QLatin1Char(' ')) +
                   QLatin1String(vendor::MAIN_ADDRESS));
}

// Qt's source texts are English, so only Chinese needs Qt's own translation.
void MainWindow::applyQtLanguage()
{
    const QString folder = QLibraryInfo::location(QLibraryInfo::TranslationsPath);
    if (!isEnglish && qtTranslator.load(QStringLiteral("qtbase_zh_CN"), folder))
        QCoreApplication::installTranslator(&qtTranslator);
    else
        QCoreApplication::removeTranslator(&qtTranslator);
}

void MainWindow::showStateCaptions()
{
    ui->btn_ser_conn->setText(portOpen ? tr("关闭串口") : tr("打开串口"));
    showSendModeCaptions();
}

void MainWindow::on_btn_language_clicked()
{
    isEnglish = !isEnglish;
    saveSettings();
    loadSettings(); // applies the language, then restores the fields it reset
    refreshBanner();
}
