// The window: a face over one link session. It maps its widgets to the
// session's settings, relays its buttons to the session's operations, and
// shows what the session signals; the form, the settings file, the language
// and the banner are its own.
#pragma once

#include "engine/linksession.h"
#include "shell/fieldtext.h"
#include "shell/language.h"

#include <QByteArray>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <array>
#include <memory>

class QComboBox;
class QPushButton;
class TrafficView;

namespace Ui {
class MainWindow;
}

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // extraPorts: paths the system does not enumerate (pseudo-terminals,
    // symlinks), listed after the system's ports.
    explicit MainWindow(const QStringList &extraPorts = {}, QWidget *parent = nullptr);
    ~MainWindow() override;

    // What the window shows the counts of.
    const LinkSession &session() const { return link; }

protected:
    void timerEvent(QTimerEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private slots:
    void on_te_txData_textChanged();
    void on_btn_cntClear_clicked();
    void on_btn_showClear_clicked();
    void on_btn_txOne_clicked();
    void on_btn_newData_clicked();
    void on_cb_rx2file_clicked(bool checked);
    void on_cb_pcap_clicked(bool checked);
    void on_cb_onTop_clicked(bool checked);
    void on_cb_wrap_clicked(bool checked);
    void on_cb_chart_clicked(bool checked);
    void on_btn_adv_clicked();
    void on_btn_language_clicked();
    void on_btn_ser_conn_clicked();
    void on_btn_ser_refresh_clicked();
    void on_cb_randData_clicked(bool checked);
    void on_btn_txAck_clicked();
    void on_btn_txAuto_clicked();
    void on_btn_txFull_clicked();
    void on_btn_txBer_clicked();

private:
    void connectSession();
    void followFields();
    void warn(const QString &title, const QString &text);

    // windowform.cpp: the fields as the session's settings
    void applyForm();
    SessionSettings formSettings() const;
    void normalizeTxLengths();
    void applyRandomDataState();
    void showPayloadValidity();
    void warnInvalidPayload();
    QString invalidPayloadText() const;
    QString invalidPayloadGroupText() const;
    bool typedPayloadInvalid() const;
    QString sendRefusal() const;
    static QString numberProblem(const QString &field, const QString &text, NumberRange range);
    // windowsending.cpp
    void toggleMode(QPushButton *button, SendMode mode);
    void showSendModes();
    void showRefusal(const QString &title, const QString &text);
    // windowport.cpp
    void refreshPortList();
    void followPortList();
    int listedPortCount() const;
    QString selectedPortName() const;
    bool holdsPort() const;
    void showPortState();
    QString portCaption() const;
    void onPortClosed();
    std::array<QComboBox *, LINE_CHOICES> lineBoxes() const;
    LineSetting chosenLine() const;
    void showLineChoices(const LineChoices &choices);
    void nameLineChoices();
    // windowtraffic.cpp
    void showTraffic(const FrameEvent &event);
    void prepareTrafficView();
    void followLanguageInTraffic();
    void redrawChart();
    void refreshStats();
    // formsettings.cpp
    QString settingsPath();
    void useScratchSettings();
    void loadSettings();
    void loadReplyRules();
    void saveSettings();
    void applyReplyExpectation();
    bool writeSettings(const QString &path);
    // windowlanguage.cpp
    void applyLanguage();
    void fitLanguage(int widthBefore);
    void showStateCaptions();
    // banner.cpp
    void readBannerConfig();
    void refreshBanner();
    void showNextAdvert();

    Ui::MainWindow *ui;
    LinkSession link;
    int widthBeforeGrowth = 0; // 0: the language in use needed no more width
    bool isEnglish = false;
    InterfaceLanguage language;
    int timerStats = 0;
    int timerSecond = 0;
    int timerBanner = 0;
    int maxAdvIndex = 0;
    int advIndex = 0; // the picture shown
    QStringList systemPorts;
    const QStringList extraPorts;
    // The payload as last typed validly: a half-typed edit does not wipe it.
    QByteArray typedPayload;
    bool typedPayloadValid = true;
    QString pcapFile; // the last pcapng capture's, kept in the settings file
    int txLenMin = 0;
    int txLenMax = 0;
    // Read from the settings file once at start; the window never writes them.
    int replyTimeoutMs = 0;
    bool expectReplies = true;
    TrafficView *trafficView = nullptr; // owned by ui->txt_data
    bool trafficInEnglish = false;
    // Stands in for a settings file that is no regular file or cannot be saved.
    std::unique_ptr<QTemporaryDir> scratchSettings;
};
