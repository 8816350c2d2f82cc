// The form's fields kept from one run to the next in the settings file, read
// and written through its schema. Each load and save opens the file afresh.
#include "mainwindow.h"
#include "shell/settingsschema.h"
#include "ui_mainwindow.h"

#include <QFileInfo>
#include <QSaveFile>

namespace {

// A FIFO would block the reader, and saving through a link to a device would
// replace the device with a text file: only a regular file (or nothing) will do.
bool isUsableSettingsFile(const QString &path)
{
    const QFileInfo file(path);
    return !file.exists() || file.isFile();
}

// QSettings tells only that a save failed; trying the same atomic write
// tells why, and writes nothing.
QString saveFailureReason(const QString &path)
{
    QSaveFile probe(path);
    return probe.open(QIODevice::WriteOnly) ? MainWindow::tr("未知原因") : probe.errorString();
}

void restoreShowBoxes(const QSettings &settings, Ui::MainWindow *ui)
{
    ui->cb_trxCmp->setChecked(storedFlag(settings, Setting::CompareReplies));
    ui->cb_autoStop->setChecked(storedFlag(settings, Setting::StopOnError));
    ui->cb_wrap->setChecked(storedFlag(settings, Setting::LineWrap));
    ui->cb_chart->setChecked(storedFlag(settings, Setting::Chart));
}

// A word the choice does not know gives its default.
LineChoices storedLineChoices(const QSettings &settings)
{
    LineChoices indexes = DEFAULT_LINE_CHOICES;
    for (int choice = 0; choice < LINE_CHOICES; ++choice) {
        const int index = storedChoice(settings, lineChoiceSetting(choice));
        if (index >= 0)
            indexes[choice] = index;
    }
    return indexes;
}

// The combo box is editable, so a rate outside its list still shows.
void restoreControl(const QSettings &settings, Ui::MainWindow *ui)
{
    ui->comb_bps->setCurrentText(storedText(settings, Setting::BaudRate));
    ui->le_sid_min->setText(storedText(settings, Setting::SidMin));
    ui->le_sid_max->setText(storedText(settings, Setting::SidMax));
    ui->cb_tag->setChecked(storedFlag(settings, Setting::TagEnable));
    ui->cb_reconnect->setChecked(storedFlag(settings, Setting::Reconnect));
}

// Setting the payload text runs its parser. A sequence the box does not list
// leaves it at the form's, the default.
void restoreSend(const QSettings &settings, Ui::MainWindow *ui)
{
    ui->cb_randData->setChecked(storedFlag(settings, Setting::RandomData));
    ui->le_txLenMin->setText(storedText(settings, Setting::LengthMin));
    ui->le_txLenMax->setText(storedText(settings, Setting::LengthMax));
    ui->le_txTm->setText(storedText(settings, Setting::Period));
    ui->te_txData->setPlainText(storedText(settings, Setting::Payload));
    ui->comb_prbs->setCurrentText(storedText(settings, Setting::Prbs));
}

void storeFields(QSettings &settings, const Ui::MainWindow *ui)
{
    const std::pair<Setting, QVariant> fields[] = {
        {Setting::BaudRate, ui->comb_bps->currentText()},
        {Setting::TagEnable, ui->cb_tag->isChecked()},
        {Setting::SidMin, ui->le_sid_min->text()},
        {Setting::SidMax, ui->le_sid_max->text()},
        {Setting::Reconnect, ui->cb_reconnect->isChecked()},
        {Setting::RandomData, ui->cb_randData->isChecked()},
        {Setting::LengthMin, ui->le_txLenMin->text()},
        {Setting::LengthMax, ui->le_txLenMax->text()},
        {Setting::Period, ui->le_txTm->text()},
        {Setting::Payload, ui->te_txData->document()->toPlainText()},
        {Setting::Prbs, ui->comb_prbs->currentText()},
        {Setting::StopOnError, ui->cb_autoStop->isChecked()},
        {Setting::CompareReplies, ui->cb_trxCmp->isChecked()},
        {Setting::LineWrap, ui->cb_wrap->isChecked()},
        {Setting::Chart, ui->cb_chart->isChecked()}};
    for (const auto &[setting, value] : fields)
        store(settings, setting, value);
}

void storeLineChoices(QSettings &settings, const LineSetting &line)
{
    for (int choice = 0; choice < LINE_CHOICES; ++choice)
        store(settings, lineChoiceSetting(choice), line.word(choice));
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
        warn(tr("错误"), tr("无法读取设置文件 %1：%2").arg(userFile, tr("不是普通文件")));
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
    isEnglish = storedFlag(settings, Setting::English);
    pcapFile = storedText(settings, Setting::PcapFile);
    applyLanguage(); // first: the text routine resets fields restored below
    restoreShowBoxes(settings, ui);
    on_cb_wrap_clicked(ui->cb_wrap->isChecked());
    on_cb_chart_clicked(ui->cb_chart->isChecked());
    restoreControl(settings, ui);
    showLineChoices(storedLineChoices(settings));
    const QString typedBefore = ui->te_txData->toPlainText();
    restoreSend(settings, ui);
    // A stored payload new to the editor warns once; a language switch
    // reloads the text the editor already shows as invalid.
    if (!typedPayloadValid && ui->te_txData->toPlainText() != typedBefore)
        warnInvalidPayload();
    // Ticking a box from code runs no handler, so apply what the handlers would.
    normalizeTxLengths();
    applyRandomDataState();
}

// On a link that answers nothing there is nothing to compare, and no answer
// to drive sending.
void MainWindow::applyReplyExpectation()
{
    ui->cb_trxCmp->setEnabled(expectReplies);
    ui->btn_txAck->setEnabled(expectReplies);
    if (!expectReplies)
        ui->cb_trxCmp->setChecked(false);
}

// The wait for a reply in milliseconds, 0 waiting forever, and whether the
// device answers at all. Read once at start: the window never writes them, so
// a language switch, which reloads the other keys, has no reason to. A text
// that is no such number warns and waits forever.
void MainWindow::loadReplyRules()
{
    const QSettings settings(settingsPath(), QSettings::IniFormat);
    const QString key = settingsPath() + QStringLiteral(" [send] reply-timeout");
    const QString problem = numberProblem(key, storedText(settings, Setting::ReplyTimeout),
                                          entryOf(Setting::ReplyTimeout).range);
    if (!problem.isEmpty())
        warn(tr("错误"), problem);
    replyTimeoutMs =
        problem.isEmpty() ? int(storedNumber(settings, Setting::ReplyTimeout).value) : 0;
    expectReplies = storedFlag(settings, Setting::ExpectReplies);
    applyReplyExpectation();
}

// A save that fails is said once; the choices then live in a scratch file
// until the window closes.
void MainWindow::saveSettings()
{
    const QString path = settingsPath();
    if (writeSettings(path))
        return;
    const QString why = saveFailureReason(path);
    useScratchSettings();
    writeSettings(settingsPath());
    warn(tr("错误"), tr("无法保存设置文件 %1：%2").arg(path, why));
}

// A malformed file reads with FormatError yet is rewritten fine; only an
// access error means the choices were lost.
bool MainWindow::writeSettings(const QString &path)
{
    QSettings settings(path, QSettings::IniFormat);
    storeFields(settings, ui);
    storeLineChoices(settings, chosenLine());
    store(settings, Setting::English, isEnglish);
    store(settings, Setting::PcapFile, pcapFile);
    settings.sync();
    return settings.status() != QSettings::AccessError;
}
