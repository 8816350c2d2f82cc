// The user's choices, kept from one run to the next in one INI file in the
// working directory. Each load and save opens the file afresh.
#include "app/mainwindow.h"
#include "engine/fieldtext.h"
#include "ui_mainwindow.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>

namespace {

const QString SETTINGS_FILE_NAME = QStringLiteral("dv-ppp.ini");

// A FIFO would block the reader, and saving through a link to a device would
// replace the device with a text file: only a regular file (or nothing) will do.
bool isUsableSettingsFile(const QString &path)
{
    const QFileInfo file(path);
    return !file.exists() || file.isFile();
}

bool readFlag(const QSettings &settings, const QString &key)
{
    return settings.value(key, false).toBool();
}

QString readText(const QSettings &settings, const QString &key, const QString &fallback)
{
    return settings.value(key, fallback).toString();
}

// QSettings tells only that a save failed; trying the same atomic write
// tells why, and writes nothing.
QString saveFailureReason(const QString &path)
{
    QSaveFile probe(path);
    return probe.open(QIODevice::WriteOnly) ? MainWindow::tr("未知原因") : probe.errorString();
}

bool readExpectReplies(const QSettings &settings)
{
    return settings.value(QStringLiteral("send/expect-replies"), true).toBool();
}

void restoreShowBoxes(const QSettings &settings, Ui::MainWindow *ui)
{
    ui->cb_trxCmp->setChecked(readFlag(settings, QStringLiteral("trxcmp")));
    ui->cb_autoStop->setChecked(readFlag(settings, QStringLiteral("auto-stop")));
    ui->cb_wrap->setChecked(readFlag(settings, QStringLiteral("linewrap")));
    ui->cb_chart->setChecked(settings.value(QStringLiteral("chart"), true).toBool());
}

// A word the choice does not know gives its default.
LineChoices readLineChoices(QSettings &settings)
{
    LineChoices indexes = DEFAULT_LINE_CHOICES;
    settings.beginGroup(QStringLiteral("control"));
    for (int choice = 0; choice < LINE_CHOICES; ++choice) {
        const LineChoice &named = lineChoices()[choice];
        const int index = named.words.indexOf(readText(settings, named.settingsKey, QString()));
        if (index >= 0)
            indexes[choice] = index;
    }
    settings.endGroup();
    return indexes;
}

void storeLineChoices(QSettings &settings, const LineSetting &line)
{
    settings.beginGroup(QStringLiteral("control"));
    for (int choice = 0; choice < LINE_CHOICES; ++choice)
        settings.setValue(lineChoices()[choice].settingsKey, line.word(choice));
    settings.endGroup();
}

void restoreControl(QSettings &settings, Ui::MainWindow *ui)
{
    settings.beginGroup(QStringLiteral("control"));
    // The combo box is editable, so a rate outside its list still shows.
    ui->comb_bps->setCurrentText(
        readText(settings, QStringLiteral("ser-baudrate"), QStringLiteral("115200")));
    ui->le_sid_min->setText(readText(settings, QStringLiteral("sid-min"), QStringLiteral("1")));
    ui->le_sid_max->setText(readText(settings, QStringLiteral("sid-max"), QStringLiteral("2")));
    ui->cb_tag->setChecked(readFlag(settings, QStringLiteral("tag-enable")));
    settings.endGroup();
}

// Setting the payload text runs its parser.
void restoreSend(QSettings &settings, Ui::MainWindow *ui)
{
    settings.beginGroup(QStringLiteral("send"));
    ui->cb_randData->setChecked(readFlag(settings, QStringLiteral("tx-rand-data")));
    ui->le_txLenMin->setText(readText(settings, QStringLiteral("tx-len-min"), QStringLiteral("8")));
    ui->le_txLenMax->setText(readText(settings, QStringLiteral("tx-len-max"), QStringLiteral("8")));
    ui->le_txTm->setText(readText(settings, QStringLiteral("tx-time"), QStringLiteral("100")));
    ui->te_txData->setPlainText(
        readText(settings, QStringLiteral("tx-data"), QStringLiteral("00 01 02 03 04 05 06 07")));
    settings.endGroup();
}

void storeControl(QSettings &settings, const Ui::MainWindow *ui)
{
    settings.beginGroup(QStringLiteral("control"));
    settings.setValue(QStringLiteral("ser-baudrate"), ui->comb_bps->currentText());
    settings.setValue(QStringLiteral("tag-enable"), ui->cb_tag->isChecked());
    settings.setValue(QStringLiteral("sid-min"), ui->le_sid_min->text());
    settings.setValue(QStringLiteral("sid-max"), ui->le_sid_max->text());
    settings.endGroup();
}

void storeSend(QSettings &settings, const Ui::MainWindow *ui)
{
    settings.beginGroup(QStringLiteral("send"));
    settings.setValue(QStringLiteral("tx-rand-data"), ui->cb_randData->isChecked());
    settings.setValue(QStringLiteral("tx-len-min"), ui->le_txLenMin->text());
    settings.setValue(QStringLiteral("tx-len-max"), ui->le_txLenMax->text());
    settings.setValue(QStringLiteral("tx-time"), ui->le_txTm->text());
    settings.setValue(QStringLiteral("tx-data"), ui->te_txData->document()->toPlainText());
    settings.endGroup();
}

void storeShow(QSettings &settings, const Ui::MainWindow *ui, bool english)
{
    settings.beginGroup(QStringLiteral("show"));
    settings.setValue(QStringLiteral("english"), english);
    settings.setValue(QStringLiteral("auto-stop"), ui->cb_autoStop->isChecked());
    settings.setValue(QStringLiteral("trxcmp"), ui->cb_trxCmp->isChecked());
    settings.setValue(QStringLiteral("linewrap"), ui->cb_wrap->isChecked());
    settings.setValue(QStringLiteral("chart"), ui->cb_chart->isChecked());
    settings.endGroup();
}

} // namespace

// The user's file; or, once it proved no regular file or could not be saved, a
// scratch file for this window alone, so that a language switch still has
// somewhere to keep the fields while the text routine resets them.
QString MainWindow::settingsPath()
{
    const QString userFile = QStringLiteral("./") + SETTINGS_FILE_NAME;
    if (!scratchSettings && !isUsableSettingsFile(userFile)) {
        useScratchSettings();
        slotWarningMessage(tr("错误"),
                           tr("无法读取设置文件 %1：%2").arg(userFile, tr("不是普通文件")));
    }
    return scratchSettings ? scratchSettings->filePath(SETTINGS_FILE_NAME) : userFile;
}

void MainWindow::useScratchSettings()
{
    scratchSettings = std::make_unique<QTemporaryDir>();
}

void MainWindow::loadSettings()
{
    QSettings settings(settingsPath(), QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("show"));
    isEnglish = readFlag(settings, QStringLiteral("english"));
    applyLanguage(); // first: the text routine resets fields restored below
    restoreShowBoxes(settings, ui);
    on_cb_wrap_clicked(ui->cb_wrap->isChecked());
    on_cb_chart_clicked(ui->cb_chart->isChecked());
    settings.endGroup();
    restoreControl(settings, ui);
    showLineChoices(readLineChoices(settings));
    const QString typedBefore = ui->te_txData->toPlainText();
    restoreSend(settings, ui);
    // A stored payload new to the editor warns once; a language switch
    // reloads the text the editor already shows as invalid.
    if (!txPatternValid && ui->te_txData->toPlainText() != typedBefore)
        warnInvalidPayload();
    // Ticking a box from code runs no handler, so apply what the handlers would.
    normalizeTxLengths();
    applyRandomDataState();
}

// On a link that answers nothing there is nothing to compare, and no answer
// to drive sending.
void MainWindow::applyReplyExpectation()
{
    ui->cb_trxCmp->setEnabled(ledger.expectsReplies());
    ui->btn_txAck->setEnabled(ledger.expectsReplies());
    if (!ledger.expectsReplies())
        ui->cb_trxCmp->setChecked(false);
}

// The wait for a reply in milliseconds, 0 waiting forever, and whether the
// device answers at all. Read once at start: the window never writes it, so a language switch,
// which reloads the other keys, has no reason to. A text that is no such number warns and waits
// forever.
void MainWindow::loadReplyRules()
{
    const QSettings settings(settingsPath(), QSettings::IniFormat);
    const QString text = settings.value(QStringLiteral("send/reply-timeout"), 0).toString();
    const QString key = settingsPath() + QStringLiteral(" [send] reply-timeout");
    const QString problem = numberProblem(key, text, REPLY_TIMEOUT_MS_RANGE);
    if (!problem.isEmpty())
        slotWarningMessage(tr("错误"), problem);
    ledger.setReplyTimeoutMs(problem.isEmpty() ? int(readNumber(text, REPLY_TIMEOUT_MS_RANGE).value)
                                               : 0);
    ledger.setExpectingReplies(readExpectReplies(settings));
    applyReplyExpectation();
}

// A save that fails is said once; the choices then live in a scratch file
// until the window closes.
void MainWindow::saveSettings()
{
    if (options.unattended)
        return; // a headless run leaves the user's file alone
    const QString path = settingsPath();
    if (writeSettings(path))
        return;
    const QString why = saveFailureReason(path);
    useScratchSettings();
    writeSettings(settingsPath());
    slotWarningMessage(tr("错误"), tr("无法保存设置文件 %1：%2").arg(path, why));
}

// A malformed file reads with FormatError yet is rewritten fine; only an
// access error means the choices were lost.
bool MainWindow::writeSettings(const QString &path)
{
    QSettings settings(path, QSettings::IniFormat);
    storeControl(settings, ui);
    storeLineChoices(settings, chosenLine());
    storeSend(settings, ui);
    storeShow(settings, ui, isEnglish);
    settings.sync();
    return settings.status() != QSettings::AccessError;
}
