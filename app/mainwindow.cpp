// Construction, destruction, timer dispatch, the session's signals and the
// window's own small slots.
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QIntValidator>
#include <QMessageBox>
#include <QTimerEvent>

namespace {
constexpr int STATS_PERIOD_MS = 300;
constexpr int SECOND_PERIOD_MS = 1000;
constexpr int BANNER_PERIOD_MS = 10000;
constexpr int SEND_AREA_STRETCH = 1;
constexpr int TRAFFIC_VIEW_STRETCH = 3;
constexpr int TRAFFIC_BESIDE_CHART_STRETCH = 3; // the chart beside it: 2
constexpr int CHART_STRETCH = 2;
} // namespace

MainWindow::MainWindow(const QStringList &extraPorts, QWidget *parent)
    : QMainWindow(parent), ui(new Ui::MainWindow), extraPorts(extraPorts)
{
    ui->setupUi(this);
    ui->splitter->setStretchFactor(0, SEND_AREA_STRETCH);
    ui->splitter->setStretchFactor(1, TRAFFIC_VIEW_STRETCH);
    ui->splitter_display->setStretchFactor(0, TRAFFIC_BESIDE_CHART_STRETCH);
    ui->splitter_display->setStretchFactor(1, CHART_STRETCH);
    nameLineChoices();

    ui->le_sid_min->setValidator(new QIntValidator(1, 2, this));
    ui->le_sid_max->setValidator(new QIntValidator(1, 2, this));
    ui->le_txLenMin->setValidator(new QIntValidator(1, PACKET_CAPACITY, this));
    ui->le_txLenMax->setValidator(new QIntValidator(1, PACKET_CAPACITY, this));

    loadSettings();
    loadReplyRules();
    timerStats = startTimer(STATS_PERIOD_MS, Qt::CoarseTimer);
    timerSecond = startTimer(SECOND_PERIOD_MS, Qt::CoarseTimer);
    timerBanner = startTimer(BANNER_PERIOD_MS, Qt::CoarseTimer);
    reseedRandomPayloads();

    readBannerConfig();
    advIndex = 0;
    refreshBanner();
    refreshPortList();
    ui->gb_send->setEnabled(false);
    prepareTrafficView();
    connectSession();
    followFields();
    applyForm();
}

MainWindow::~MainWindow()
{
    delete ui;
}

void MainWindow::connectSession()
{
    connect(&link, &LinkSession::opened, this, &MainWindow::showPortState);
    connect(&link, &LinkSession::closed, this, &MainWindow::onPortClosed);
    connect(&link, &LinkSession::lost, this, [this](const QString &why) { warn(tr("错误"), why); });
    // A port away and back needs no box: the button and the panel tell the wait.
    connect(&link, &LinkSession::portAway, this, &MainWindow::showPortState);
    connect(&link, &LinkSession::portBack, this, &MainWindow::showPortState);
    connect(&link, &LinkSession::modeChanged, this, &MainWindow::showSendModes);
    connect(&link, &LinkSession::frame, this, &MainWindow::showTraffic);
    connect(&link, &LinkSession::warning, this, &MainWindow::warn);
    connect(&link, &LinkSession::caution, this,
            [this](const QString &text) { warn(tr("提示"), text); });
    connect(&link, &LinkSession::refused, this, &MainWindow::showRefusal);
    connect(&link, &LinkSession::captureStopped, this,
            [this] { ui->cb_rx2file->setChecked(false); });
    connect(&link, &LinkSession::pcapStopped, this, [this] { ui->cb_pcap->setChecked(false); });
    connect(&link, &LinkSession::measurementRestarted, this, &MainWindow::redrawChart);
    connect(&link, &LinkSession::secondTicked, this, &MainWindow::redrawChart);
}

// Every field the session's settings come from hands them over as it changes,
// so that a payload edited or a box ticked mid-run applies from the next frame.
void MainWindow::followFields()
{
    for (QCheckBox *box :
         {ui->cb_tag, ui->cb_randData, ui->cb_trxCmp, ui->cb_autoStop, ui->cb_reconnect})
        connect(box, &QCheckBox::toggled, this, &MainWindow::applyForm);
    for (QLineEdit *field :
         {ui->le_sid_min, ui->le_sid_max, ui->le_txLenMin, ui->le_txLenMax, ui->le_txTm})
        connect(field, &QLineEdit::textChanged, this, &MainWindow::applyForm);
}

void MainWindow::timerEvent(QTimerEvent *event)
{
    const int id = event->timerId();
    if (id == timerStats) {
        refreshStats();
    } else if (id == timerSecond) {
        // A port waited for stays listed and chosen, though the system lost it.
        if (!holdsPort())
            followPortList();
    } else if (id == timerBanner) {
        reseedRandomPayloads();
        showNextAdvert();
    }
}

void MainWindow::closeEvent(QCloseEvent *)
{
    saveSettings();
}

void MainWindow::on_cb_onTop_clicked(bool checked)
{
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, checked);
    setWindowFlags(flags);
    show(); // changing the flags hides the window
}

void MainWindow::warn(const QString &title, const QString &text)
{
    QMessageBox::warning(nullptr, title, text, QMessageBox::Close, QMessageBox::NoButton);
}
