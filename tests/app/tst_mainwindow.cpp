// The window itself: its life, its slot table, what its constructor leaves
// behind, and how it looks at its form size.
#include "mainwindowprobe.h"
#include "testsupport.h"

#include <QImageReader>
#include <QIntValidator>
#include <QPointer>
#include <QSplitter>
#include <QTimerEvent>
#include <QtTest>

#include <cstring>
#include <memory>

namespace {

// Collects the warnings Qt prints while alive, and passes them on.
class QtWarningLog
{
public:
    QtWarningLog()
    {
        lines().clear();
        previous = qInstallMessageHandler(&QtWarningLog::handle);
    }
    ~QtWarningLog() { qInstallMessageHandler(previous); }
    QStringList matching(const QString &part) const { return lines().filter(part); }

private:
    static QStringList &lines()
    {
        static QStringList all;
        return all;
    }
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        if (type == QtWarningMsg)
            lines() << message;
        if (previous)
            previous(type, context, message);
    }
    static inline QtMessageHandler previous = nullptr;
};

bool sameCounters(const TrafficCounters &a, const TrafficCounters &b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

constexpr int FORM_WIDTH = 926;
constexpr int FORM_HEIGHT = 736;

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void lifecycle_data();
    void lifecycle();
    void slotTable_data();
    void slotTable();
    void warningSlot_data();
    void warningSlot();

    void checkableButtons_data();
    void checkableButtons();
    void maximumLengths_data();
    void maximumLengths();
    void validators_data();
    void validators();
    void freshWindowState();
    void windowIcon();

    void panelsShareTheWidth_data();
    void panelsShareTheWidth();
    void panesShareTheHeight_data();
    void panesShareTheHeight();
    void panesCollapse_data();
    void panesCollapse();
    void bannerStrip();
    void stayOnTop_data();
    void stayOnTop();
    void unknownTimerIsIgnored();

private:
    std::unique_ptr<TestWorkDir> workDir;
};

void TestMainWindow::init()
{
    workDir = std::make_unique<TestWorkDir>();
    QVERIFY(workDir->isValid());
}

void TestMainWindow::cleanup()
{
    workDir.reset();
}

void TestMainWindow::lifecycle_data()
{
    QTest::addColumn<bool>("shown");
    QTest::addColumn<bool>("catchWarnings");

    QTest::newRow("built and dropped") << false << false;
    QTest::newRow("shown") << true << false;
    QTest::newRow("shown, warnings caught") << true << true;
}

void TestMainWindow::lifecycle()
{
    QFETCH(bool, shown);
    QFETCH(bool, catchWarnings);

    std::unique_ptr<WarningCatcher> catcher;
    if (catchWarnings)
        catcher = std::make_unique<WarningCatcher>();
    QtWarningLog log;
    auto window = std::make_unique<MainWindow>();
    if (shown) {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    const QPointer<QWidget> someWidget = MainWindowProbe::ui(*window)->te_txData;

    // Every on_<object>_<signal> slot found its widget and signal.
    const QStringList unbound = log.matching(QStringLiteral("connectSlotsByName"));
    QVERIFY2(unbound.isEmpty(), qPrintable(unbound.join('\n')));
    if (catcher)
        QVERIFY2(catcher->count() == 0, qPrintable(catcher->describe().join('\n')));

    window.reset();
    QVERIFY(someWidget.isNull());
    // Settings are written on close only, never by merely building or dropping.
    QCOMPARE(workDir->entries(), QStringList());
}

void TestMainWindow::slotTable_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("signature");
    QTest::addColumn<int>("access");

    const int hidden = QMetaMethod::Private;
    QTest::newRow("serial input") << 0 << QByteArray("serial_rx()") << hidden;
    QTest::newRow("payload edited") << 1 << QByteArray("on_te_txData_textChanged()") << hidden;
    QTest::newRow("clear counters") << 2 << QByteArray("on_btn_cntClear_clicked()") << hidden;
    QTest::newRow("clear view") << 3 << QByteArray("on_btn_showClear_clicked()") << hidden;
    QTest::newRow("send one") << 4 << QByteArray("on_btn_txOne_clicked()") << hidden;
    QTest::newRow("new data") << 5 << QByteArray("on_btn_newData_clicked()") << hidden;
    QTest::newRow("capture") << 6 << QByteArray("on_cb_rx2file_clicked(bool)") << hidden;
    QTest::newRow("stay on top") << 7 << QByteArray("on_cb_onTop_clicked(bool)") << hidden;
    QTest::newRow("wrap") << 8 << QByteArray("on_cb_wrap_clicked(bool)") << hidden;
    QTest::newRow("advert") << 9 << QByteArray("on_btn_adv_clicked()") << hidden;
    QTest::newRow("language") << 10 << QByteArray("on_btn_language_clicked()") << hidden;
    QTest::newRow("connect") << 11 << QByteArray("on_btn_ser_conn_clicked()") << hidden;
    QTest::newRow("refresh ports") << 12 << QByteArray("on_btn_ser_refresh_clicked()") << hidden;
    QTest::newRow("random data") << 13 << QByteArray("on_cb_randData_clicked(bool)") << hidden;
    QTest::newRow("answer-driven") << 14 << QByteArray("on_btn_txAck_clicked()") << hidden;
    QTest::newRow("timed") << 15 << QByteArray("on_btn_txAuto_clicked()") << hidden;
    QTest::newRow("warning, public") << 16 << QByteArray("slotWarningMessage(QString,QString)")
                                     << int(QMetaMethod::Public);
}

void TestMainWindow::slotTable()
{
    QFETCH(int, index);
    QFETCH(QByteArray, signature);
    QFETCH(int, access);

    const QMetaObject &meta = MainWindow::staticMetaObject;
    QCOMPARE(meta.methodCount() - meta.methodOffset(), 17);
    const QMetaMethod method = meta.method(meta.methodOffset() + index);
    QCOMPARE(method.methodSignature(), signature);
    QCOMPARE(method.methodType(), QMetaMethod::Slot);
    QCOMPARE(int(method.access()), access);
}

void TestMainWindow::warningSlot_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("content");

    QTest::newRow("error") << QStringLiteral("错误") << QStringLiteral("串口打开失败！");
    QTest::newRow("input error") << QStringLiteral("输入错误")
                                 << QStringLiteral("数据输入错误，请输入合法的十六进制数据");
}

void TestMainWindow::warningSlot()
{
    QFETCH(QString, title);
    QFETCH(QString, content);

    MainWindow window;
    WarningCatcher catcher;
    // Through the meta-object, as any caller outside the class would; the box
    // waits in its own event loop until the catcher closes it.
    QVERIFY(QMetaObject::invokeMethod(&window, "slotWarningMessage", Q_ARG(QString, title),
                                      Q_ARG(QString, content)));
    QCOMPARE(catcher.count(), 1);
    const WarningCatcher::Message message = catcher.messages().first();
    QCOMPARE(message.title, title);
    QCOMPARE(message.text, content);
    QCOMPARE(message.icon, QMessageBox::Warning);
    QCOMPARE(message.buttons, QMessageBox::StandardButtons(QMessageBox::Close));
}

void TestMainWindow::checkableButtons_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("checkable");

    QTest::newRow("connect") << "btn_ser_conn" << true;
    QTest::newRow("answer-driven") << "btn_txAck" << true;
    QTest::newRow("timed") << "btn_txAuto" << true;
    QTest::newRow("send one") << "btn_txOne" << false;
    QTest::newRow("new data") << "btn_newData" << false;
    QTest::newRow("refresh ports") << "btn_ser_refresh" << false;
    QTest::newRow("language") << "btn_language" << false;
}

void TestMainWindow::checkableButtons()
{
    QFETCH(QString, name);
    QFETCH(bool, checkable);

    MainWindow window;
    auto *button = window.findChild<QPushButton *>(name);
    QVERIFY(button);
    QCOMPARE(button->isCheckable(), checkable);
    QVERIFY(!button->isChecked());
}

void TestMainWindow::maximumLengths_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("maxLength");

    QTest::newRow("SID low") << "le_sid_min" << 4;
    QTest::newRow("SID high") << "le_sid_max" << 4;
    QTest::newRow("shortest length") << "le_txLenMin" << 5;
    QTest::newRow("longest length") << "le_txLenMax" << 5;
    QTest::newRow("period") << "le_txTm" << 64;
}

void TestMainWindow::maximumLengths()
{
    QFETCH(QString, name);
    QFETCH(int, maxLength);

    MainWindow window;
    auto *edit = window.findChild<QLineEdit *>(name);
    QVERIFY(edit);
    QCOMPARE(edit->maxLength(), maxLength);
}

void TestMainWindow::validators_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("validated");
    QTest::addColumn<int>("bottom");
    QTest::addColumn<int>("top");

    QTest::newRow("SID low") << "le_sid_min" << true << 1 << 2;
    QTest::newRow("SID high") << "le_sid_max" << true << 1 << 2;
    QTest::newRow("shortest length") << "le_txLenMin" << true << 1 << 4096;
    QTest::newRow("longest length") << "le_txLenMax" << true << 1 << 4096;
    QTest::newRow("period, free text") << "le_txTm" << false << 0 << 0;
}

void TestMainWindow::validators()
{
    QFETCH(QString, name);
    QFETCH(bool, validated);
    QFETCH(int, bottom);
    QFETCH(int, top);

    MainWindow window;
    auto *edit = window.findChild<QLineEdit *>(name);
    QVERIFY(edit);
    if (!validated) {
        QVERIFY(!edit->validator());
        return;
    }
    auto *validator = qobject_cast<const QIntValidator *>(edit->validator());
    QVERIFY(validator);
    QCOMPARE(validator->parent(), &window);
    const auto verdict = [validator](int value) {
        QString text = QString::number(value);
        int position = 0;
        return validator->validate(text, position);
    };
    QCOMPARE(verdict(bottom), QValidator::Acceptable);
    QCOMPARE(verdict(top), QValidator::Acceptable);
    QVERIFY(verdict(bottom - 1) != QValidator::Acceptable);
    QVERIFY(verdict(top + 1) != QValidator::Acceptable);
}

void TestMainWindow::freshWindowState()
{
    MainWindow window;
    Ui::MainWindow *ui = MainWindowProbe::ui(window);

    QCOMPARE(window.size(), QSize(FORM_WIDTH, FORM_HEIGHT));
    QCOMPARE(MainWindowProbe::baseTitle(window), QStringLiteral("v2024.0808"));
    // The splitter's panes: send area 1, traffic view 3.
    QCOMPARE(ui->splitter->widget(0)->sizePolicy().verticalStretch(), 1);
    QCOMPARE(ui->splitter->widget(1)->sizePolicy().verticalStretch(), 3);
    QVERIFY(!ui->gb_send->isEnabled());
    QCOMPARE(ui->txt_data->lineWrapMode(), QTextEdit::NoWrap);
    QVERIFY(!MainWindowProbe::portOpen(window));
    QCOMPARE(MainWindowProbe::txRingTail(window), 0);
    QCOMPARE(MainWindowProbe::txRingHead(window), 0);
    QVERIFY(sameCounters(MainWindowProbe::counters(window), TrafficCounters{}));
    QVERIFY(!MainWindowProbe::captureFile(window));

    // Three repeating timers of their own; none for timed sending yet.
    const int stats = MainWindowProbe::timerStats(window);
    const int second = MainWindowProbe::timerSecond(window);
    const int banner = MainWindowProbe::timerBanner(window);
    QVERIFY(stats > 0 && second > 0 && banner > 0);
    QVERIFY(stats != second && second != banner && stats != banner);
    QCOMPARE(MainWindowProbe::timerSend(window), 0);
}

void TestMainWindow::windowIcon()
{
    MainWindow window;
    QVERIFY(!window.windowIcon().isNull());
    QVERIFY(window.windowIcon().availableSizes().contains(QSize(128, 128)));

    QImageReader reader(QStringLiteral(":/images/myApp.ico"));
    QCOMPARE(reader.format(), QByteArray("ico"));
    const QImage image = reader.read();
    QCOMPARE(image.size(), QSize(128, 128));
    QVERIFY(image.hasAlphaChannel());
    QVERIFY(qAlpha(image.pixel(64, 64)) > 0); // something is drawn
}

void TestMainWindow::panelsShareTheWidth_data()
{
    QTest::addColumn<int>("width");

    QTest::newRow("form size, left panel at its minimum") << FORM_WIDTH;
    QTest::newRow("wide, one to three") << 1800;
}

void TestMainWindow::panelsShareTheWidth()
{
    QFETCH(int, width);

    MainWindow window;
    window.resize(width, FORM_HEIGHT);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    Ui::MainWindow *ui = MainWindowProbe::ui(window);

    const int left = ui->frm_panel->width();
    const int right = ui->frame_3->width();
    QVERIFY2(left >= 300, qPrintable(QString::number(left)));
    // Stretch 1 : 3 over both, unless that would push the left panel under 300.
    const int expectedLeft = qMax(300, (left + right) / 4);
    QVERIFY2(qAbs(left - expectedLeft) <= 2, qPrintable(QStringLiteral("%1 | %2").arg(left).arg(right)));
    // Together they fill the frame.
    QCOMPARE(left + right + ui->horizontalLayout_2->spacing(), ui->frame->contentsRect().width() - 2);
}

void TestMainWindow::panesShareTheHeight_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("sendAtMinimum");
    QTest::addColumn<double>("minimumRatio");

    QTest::newRow("form size, send pane at its minimum") << FORM_HEIGHT << true << 1.0;
    QTest::newRow("tall, traffic view well ahead") << 1800 << false << 2.0;
}

void TestMainWindow::panesShareTheHeight()
{
    QFETCH(int, height);
    QFETCH(bool, sendAtMinimum);
    QFETCH(double, minimumRatio);

    MainWindow window;
    window.resize(FORM_WIDTH, height);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    Ui::MainWindow *ui = MainWindowProbe::ui(window);

    // The splitter weighs each pane's size hint by its stretch (1 : 3), so
    // the traffic view takes the larger share though its hint is the smaller.
    const int send = ui->frame_4->height();
    const int traffic = ui->frame_5->height();
    const QString sizes = QStringLiteral("%1 | %2").arg(send).arg(traffic);
    QCOMPARE(send == ui->frame_4->minimumSizeHint().height(), sendAtMinimum);
    QVERIFY2(traffic > minimumRatio * send, qPrintable(sizes));
    QVERIFY2(traffic <= 3 * send + 2, qPrintable(sizes));
}

void TestMainWindow::panesCollapse_data()
{
    QTest::addColumn<int>("collapsed");

    QTest::newRow("send pane") << 0;
    QTest::newRow("traffic pane") << 1;
}

void TestMainWindow::panesCollapse()
{
    QFETCH(int, collapsed);

    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSplitter *splitter = MainWindowProbe::ui(window)->splitter;

    const int total = splitter->sizes().at(0) + splitter->sizes().at(1);
    QList<int> sizes{total, total};
    sizes[collapsed] = 0;
    splitter->setSizes(sizes);
    QCOMPARE(splitter->sizes().at(collapsed), 0);
    QCOMPARE(splitter->sizes().at(1 - collapsed), total);
}

void TestMainWindow::bannerStrip()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    Ui::MainWindow *ui = MainWindowProbe::ui(window);

    QVERIFY(ui->widget_banner->height() >= 112);
    QVERIFY(ui->btn_adv->width() >= 840);
    QVERIFY(ui->btn_adv->height() >= 112);
    QVERIFY(ui->btn_adv->isFlat());
    QCOMPARE(ui->btn_adv->cursor().shape(), Qt::PointingHandCursor);
    // The strip sits under the frame, across the bottom of the window.
    QVERIFY(ui->widget_banner->geometry().top() >= ui->frame->geometry().bottom());
}

void TestMainWindow::stayOnTop_data()
{
    QTest::addColumn<int>("clicks");
    QTest::addColumn<bool>("onTop");

    QTest::newRow("ticked") << 1 << true;
    QTest::newRow("ticked and unticked") << 2 << false;
}

void TestMainWindow::stayOnTop()
{
    QFETCH(int, clicks);
    QFETCH(bool, onTop);

    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCheckBox *box = MainWindowProbe::ui(window)->cb_onTop;

    for (int i = 0; i < clicks; ++i) {
        QTest::mouseClick(box, Qt::LeftButton);
        // Changing the flags hides the window; the slot shows it again.
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
    QCOMPARE(box->isChecked(), onTop);
    QCOMPARE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint), onTop);
    QVERIFY(window.isVisible());
}

void TestMainWindow::unknownTimerIsIgnored()
{
    MainWindow window;
    Ui::MainWindow *ui = MainWindowProbe::ui(window);
    const int stray = MainWindowProbe::timerStats(window) + MainWindowProbe::timerSecond(window)
                      + MainWindowProbe::timerBanner(window) + 12345;

    const int advIndex = MainWindowProbe::advIndex(window);
    const TrafficCounters counters = MainWindowProbe::counters(window);
    const QString info = ui->txt_info->toHtml();
    const QString traffic = ui->txt_data->toHtml();
    const QIcon advert = ui->btn_adv->icon();

    QTimerEvent event(stray);
    QCoreApplication::sendEvent(&window, &event);

    QCOMPARE(MainWindowProbe::advIndex(window), advIndex);
    QVERIFY(sameCounters(MainWindowProbe::counters(window), counters));
    QCOMPARE(ui->txt_info->toHtml(), info);
    QCOMPARE(ui->txt_data->toHtml(), traffic);
    QCOMPARE(ui->btn_adv->icon().cacheKey(), advert.cacheKey());
    QCOMPARE(MainWindowProbe::txRingHead(window), 0);
    QCOMPARE(MainWindowProbe::timerSend(window), 0);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
