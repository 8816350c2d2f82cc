// The form as built: widget tree, layouts, size limits and the text routine.
#include "mainwindowprobe.h"
#include "testsupport.h"

#include <QGridLayout>
#include <QSpacerItem>
#include <QSplitter>
#include <QtTest>

#include <algorithm>
#include <memory>

namespace {

constexpr int MAX = QWIDGETSIZE_MAX;

// Each item of a layout as a word: a widget or nested layout by its object
// name, a spacer as "~WxH"; grid items get "@row,column" and are sorted by
// cell, so only the cells matter there, not the order they were added in.
QStringList describeItems(QLayout *layout)
{
    QStringList words;
    auto *grid = qobject_cast<QGridLayout *>(layout);
    QVector<QPair<QPair<int, int>, QString>> cells;
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem *item = layout->itemAt(i);
        QString word;
        if (QWidget *w = item->widget())
            word = w->objectName();
        else if (QLayout *l = item->layout())
            word = l->objectName();
        else if (QSpacerItem *s = item->spacerItem())
            word = QStringLiteral("~%1x%2").arg(s->sizeHint().width()).arg(s->sizeHint().height());
        if (grid) {
            int row, column, rowSpan, columnSpan;
            grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
            cells.append({{row, column}, QStringLiteral("%1@%2,%3").arg(word).arg(row).arg(column)});
        } else {
            words << word;
        }
    }
    std::sort(cells.begin(), cells.end());
    for (const auto &cell : cells)
        words << cell.second;
    return words;
}

QString describeMargins(const QLayout *layout)
{
    const QMargins m = layout->contentsMargins();
    return QStringLiteral("%1,%2,%3,%4").arg(m.left()).arg(m.top()).arg(m.right()).arg(m.bottom());
}

QString textOf(const QObject *object)
{
    if (auto *group = qobject_cast<const QGroupBox *>(object))
        return group->title();
    if (auto *window = qobject_cast<const QMainWindow *>(object))
        return window->windowTitle();
    return object->property("text").toString();
}

// Answers every lookup with a marked text and remembers what was asked.
class RecordingTranslator : public QTranslator
{
public:
    struct Lookup {
        QString context;
        QString source;
        bool disambiguated;
        int n;
    };
    QString translate(const char *context, const char *sourceText, const char *disambiguation,
                      int n) const override
    {
        lookups.append({QString::fromUtf8(context), QString::fromUtf8(sourceText),
                        disambiguation != nullptr, n});
        return QStringLiteral("T:") + QString::fromUtf8(sourceText);
    }
    bool isEmpty() const override { return false; }
    mutable QVector<Lookup> lookups;
};

const QString EMPTY_DOCUMENT_MARK = QStringLiteral("<!DOCTYPE HTML");

} // namespace

class TestForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void widgetTree_data();
    void widgetTree();
    void layouts_data();
    void layouts();
    void sizeLimits_data();
    void sizeLimits();
    void frames_data();
    void frames();
    void splitterSettings();

    void texts_data();
    void texts();
    void baudRateItems();
    void statisticsPanelStartsEmpty();
    void textsGoThroughLookupInOrder();

private:
    std::unique_ptr<TestWorkDir> workDir;
    std::unique_ptr<MainWindow> window;
    // A bare form on a plain window: the texts exactly as the text routine left
    // them, before the window's own start-up touches any.
    std::unique_ptr<QMainWindow> host;
    Ui::MainWindow form;
};

void TestForm::initTestCase()
{
    workDir = std::make_unique<TestWorkDir>();
    QVERIFY(workDir->isValid());
    window = std::make_unique<MainWindow>();
    host = std::make_unique<QMainWindow>();
    form.setupUi(host.get());
}

void TestForm::cleanupTestCase()
{
    host.reset();
    window.reset();
    workDir.reset();
}

void TestForm::widgetTree_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parentName");

    const char *const rows[][3] = {
        {"centralWidget", "QWidget", "MainWindow"},
        {"frame", "QFrame", "centralWidget"},
        {"frm_panel", "QFrame", "frame"},
        {"btn_language", "QPushButton", "frm_panel"},
        {"cb_onTop", "QCheckBox", "frm_panel"},
        {"groupBox", "QGroupBox", "frm_panel"},
        {"label_9", "QLabel", "groupBox"},
        {"comb_sers", "QComboBox", "groupBox"},
        {"btn_ser_refresh", "QPushButton", "groupBox"},
        {"label_6", "QLabel", "groupBox"},
        {"comb_bps", "QComboBox", "groupBox"},
        {"label_11", "QLabel", "groupBox"},
        {"btn_ser_conn", "QPushButton", "groupBox"},
        {"groupBox_3", "QGroupBox", "frm_panel"},
        {"txt_info", "QTextBrowser", "groupBox_3"},
        {"btn_cntClear", "QPushButton", "groupBox_3"},
        {"frame_3", "QFrame", "frame"},
        {"splitter", "QSplitter", "frame_3"},
        {"frame_4", "QFrame", "splitter"},
        {"gb_send", "QGroupBox", "frame_4"},
        {"cb_tag", "QCheckBox", "gb_send"},
        {"label_4", "QLabel", "gb_send"},
        {"le_sid_min", "QLineEdit", "gb_send"},
        {"label_8", "QLabel", "gb_send"},
        {"le_sid_max", "QLineEdit", "gb_send"},
        {"cb_trxCmp", "QCheckBox", "gb_send"},
        {"cb_autoStop", "QCheckBox", "gb_send"},
        {"cb_randData", "QCheckBox", "gb_send"},
        {"le_txLenMin", "QLineEdit", "gb_send"},
        {"label_21", "QLabel", "gb_send"},
        {"le_txLenMax", "QLineEdit", "gb_send"},
        {"label_18", "QLabel", "gb_send"},
        {"btn_newData", "QPushButton", "gb_send"},
        {"btn_txOne", "QPushButton", "gb_send"},
        {"btn_txAck", "QPushButton", "gb_send"},
        {"btn_txAuto", "QPushButton", "gb_send"},
        {"label_2", "QLabel", "gb_send"},
        {"le_txTm", "QLineEdit", "gb_send"},
        {"label", "QLabel", "gb_send"},
        {"te_txData", "QPlainTextEdit", "frame_4"},
        {"frame_5", "QFrame", "splitter"},
        {"gb_display", "QGroupBox", "frame_5"},
        {"cb_txShow", "QCheckBox", "gb_display"},
        {"cb_rxShow", "QCheckBox", "gb_display"},
        {"cb_wrap", "QCheckBox", "gb_display"},
        {"cb_rx2file", "QCheckBox", "gb_display"},
        {"btn_showClear", "QPushButton", "gb_display"},
        {"txt_data", "QTextBrowser", "gb_display"},
        {"widget_banner", "QWidget", "centralWidget"},
        {"btn_adv", "QPushButton", "widget_banner"},
    };
    for (const auto &row : rows)
        QTest::newRow(row[0]) << row[0] << row[1] << row[2];
}

void TestForm::widgetTree()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, parentName);

    const QList<QWidget *> found = window->findChildren<QWidget *>(name);
    QCOMPARE(found.size(), 1);
    QCOMPARE(QString::fromLatin1(found.first()->metaObject()->className()), className);
    QVERIFY(found.first()->parent());
    QCOMPARE(found.first()->parent()->objectName(), parentName);
}

void TestForm::layouts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("ownerName"); // the widget it is on, or the layout it is in
    QTest::addColumn<int>("spacing");
    QTest::addColumn<QString>("margins");
    QTest::addColumn<QStringList>("items");

    // Margins: left,top,right,bottom; "style" is the style's own value.
    QTest::newRow("central column") << "verticalLayout" << "QVBoxLayout" << "centralWidget" << 0
                                    << "5,5,5,0" << QStringList{"frame", "widget_banner"};
    QTest::newRow("panel and work area") << "horizontalLayout_2" << "QHBoxLayout" << "frame" << 5
                                         << "1,1,1,1" << QStringList{"frm_panel", "frame_3"};
    QTest::newRow("left panel") << "verticalLayout_6" << "QVBoxLayout" << "frm_panel" << 6 << "11,11,11,11"
                                << QStringList{"horizontalLayout_16", "groupBox", "groupBox_3"};
    QTest::newRow("language row") << "horizontalLayout_16" << "QHBoxLayout" << "verticalLayout_6" << 6
                                  << "0,0,0,0" << QStringList{"btn_language", "~40x20", "cb_onTop"};
    QTest::newRow("port group") << "verticalLayout_3" << "QVBoxLayout" << "groupBox" << 6 << "11,11,11,11"
                                << QStringList{"gridLayout_3", "horizontalLayout_8"};
    QTest::newRow("port grid") << "gridLayout_3" << "QGridLayout" << "verticalLayout_3" << 6 << "0,0,0,0"
                               << QStringList{"label_9@0,0", "comb_sers@0,1", "btn_ser_refresh@0,2",
                                              "label_6@1,0", "comb_bps@1,1", "label_11@1,2"};
    QTest::newRow("connect row") << "horizontalLayout_8" << "QHBoxLayout" << "verticalLayout_3" << 6
                                 << "0,0,0,0" << QStringList{"~40x20", "btn_ser_conn"};
    QTest::newRow("statistics group") << "verticalLayout_7" << "QVBoxLayout" << "groupBox_3" << 9
                                      << "11,11,11,11" << QStringList{"txt_info", "horizontalLayout_13"};
    QTest::newRow("clear counters row") << "horizontalLayout_13" << "QHBoxLayout" << "verticalLayout_7" << 6
                                        << "0,0,0,0" << QStringList{"~40x20", "btn_cntClear"};
    QTest::newRow("work area") << "verticalLayout_5" << "QVBoxLayout" << "frame_3" << 6 << "1,1,1,1"
                               << QStringList{"splitter"};
    QTest::newRow("send pane") << "verticalLayout_9" << "QVBoxLayout" << "frame_4" << 6 << "9,9,9,style"
                               << QStringList{"gb_send", "te_txData"};
    QTest::newRow("send group") << "verticalLayout_2" << "QVBoxLayout" << "gb_send" << 6 << "11,11,11,11"
                                << QStringList{"horizontalLayout_3", "horizontalLayout_5", "horizontalLayout_7"};
    QTest::newRow("tag row") << "horizontalLayout_3" << "QHBoxLayout" << "verticalLayout_2" << 6 << "0,0,0,0"
                             << QStringList{"cb_tag",  "label_4", "le_sid_min", "label_8",
                                            "le_sid_max", "~40x20", "cb_trxCmp", "cb_autoStop"};
    QTest::newRow("random data row")
        << "horizontalLayout_5" << "QHBoxLayout" << "verticalLayout_2" << 6 << "0,0,0,0"
        << QStringList{"cb_randData", "le_txLenMin", "label_21", "le_txLenMax", "label_18", "~40x20", "btn_newData"};
    QTest::newRow("send buttons row")
        << "horizontalLayout_7" << "QHBoxLayout" << "verticalLayout_2" << 6 << "0,0,0,0"
        << QStringList{"btn_txOne", "btn_txAck", "btn_txAuto", "label_2", "le_txTm", "label", "~40x20"};
    QTest::newRow("traffic pane") << "verticalLayout_4" << "QVBoxLayout" << "frame_5" << 6 << "11,11,11,11"
                                  << QStringList{"gb_display"};
    QTest::newRow("display group") << "verticalLayout_8" << "QVBoxLayout" << "gb_display" << 6 << "9,9,9,9"
                                   << QStringList{"horizontalLayout_6", "txt_data"};
    QTest::newRow("display options row")
        << "horizontalLayout_6" << "QHBoxLayout" << "verticalLayout_8" << 11 << "0,0,0,0"
        << QStringList{"cb_txShow", "cb_rxShow", "cb_wrap", "cb_rx2file", "~0x20", "btn_showClear"};
    QTest::newRow("banner strip") << "horizontalLayout" << "QHBoxLayout" << "widget_banner" << 0 << "0,0,0,0"
                                  << QStringList{"btn_adv", "~40x20"};
}

void TestForm::layouts()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, ownerName);
    QFETCH(int, spacing);
    QFETCH(QString, margins);
    QFETCH(QStringList, items);

    auto *layout = window->findChild<QLayout *>(name);
    QVERIFY(layout);
    QCOMPARE(QString::fromLatin1(layout->metaObject()->className()), className);
    QCOMPARE(layout->parent()->objectName(), ownerName);
    QCOMPARE(layout->spacing(), spacing);
    if (margins.endsWith(QLatin1String("style"))) {
        QWidget *on = layout->parentWidget();
        const int styleBottom = on->style()->pixelMetric(QStyle::PM_LayoutBottomMargin, nullptr, on);
        margins.replace(QLatin1String("style"), QString::number(styleBottom));
    }
    QCOMPARE(describeMargins(layout), margins);
    QCOMPARE(describeItems(layout), items);

    for (int i = 0; i < layout->count(); ++i) {
        if (QSpacerItem *spacer = layout->itemAt(i)->spacerItem()) {
            QCOMPARE(spacer->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
            QCOMPARE(spacer->sizePolicy().verticalPolicy(), QSizePolicy::Minimum);
        }
    }
    if (name == QLatin1String("horizontalLayout_2")) {
        auto *row = qobject_cast<QBoxLayout *>(layout);
        QCOMPARE(row->stretch(0), 1);
        QCOMPARE(row->stretch(1), 3);
    }
}

void TestForm::sizeLimits_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSizePolicy::Policy>("horizontal");
    QTest::addColumn<QSizePolicy::Policy>("vertical");
    QTest::addColumn<QSize>("minimum");
    QTest::addColumn<QSize>("maximum");

    using P = QSizePolicy;
    const QSize none(0, 0);
    const QSize unlimited(MAX, MAX);
    QTest::newRow("left panel") << "frm_panel" << P::MinimumExpanding << P::Preferred << QSize(300, 0) << unlimited;
    QTest::newRow("on-top box") << "cb_onTop" << P::Preferred << P::Preferred << none << unlimited;
    QTest::newRow("port list") << "comb_sers" << P::Expanding << P::Fixed << none << unlimited;
    QTest::newRow("clear counters") << "btn_cntClear" << P::Fixed << P::Preferred << QSize(60, 0) << unlimited;
    QTest::newRow("work area") << "frame_3" << P::Expanding << P::Preferred << none << unlimited;
    QTest::newRow("splitter") << "splitter" << P::Expanding << P::Preferred << none << unlimited;
    QTest::newRow("send pane") << "frame_4" << P::Preferred << P::Preferred << none << unlimited;
    QTest::newRow("SID low") << "le_sid_min" << P::Preferred << P::Fixed << QSize(32, 0) << QSize(64, MAX);
    QTest::newRow("SID high") << "le_sid_max" << P::Preferred << P::Fixed << QSize(32, 0) << QSize(64, MAX);
    QTest::newRow("compare box") << "cb_trxCmp" << P::Preferred << P::Preferred << none << unlimited;
    QTest::newRow("stop box") << "cb_autoStop" << P::Preferred << P::Preferred << none << unlimited;
    QTest::newRow("random box") << "cb_randData" << P::Preferred << P::Preferred << none << unlimited;
    // The minimum wider than the maximum is what the form asks for.
    QTest::newRow("shortest length") << "le_txLenMin" << P::Preferred << P::Fixed << QSize(64, 0) << QSize(50, MAX);
    QTest::newRow("length dash") << "label_21" << P::Preferred << P::Preferred << none << unlimited;
    QTest::newRow("longest length") << "le_txLenMax" << P::Preferred << P::Fixed << QSize(64, 0) << QSize(50, MAX);
    QTest::newRow("bytes label") << "label_18" << P::Preferred << P::Preferred << none << unlimited;
    QTest::newRow("new data") << "btn_newData" << P::Preferred << P::Fixed << none << unlimited;
    QTest::newRow("send one") << "btn_txOne" << P::Preferred << P::Fixed << none << unlimited;
    QTest::newRow("period") << "le_txTm" << P::Preferred << P::Fixed << QSize(64, 0) << QSize(64, MAX);
    QTest::newRow("payload editor") << "te_txData" << P::Expanding << P::Expanding << QSize(0, 64) << unlimited;
    QTest::newRow("show sent") << "cb_txShow" << P::Minimum << P::Preferred << none << unlimited;
    QTest::newRow("show received") << "cb_rxShow" << P::Minimum << P::Preferred << none << unlimited;
    QTest::newRow("wrap") << "cb_wrap" << P::Minimum << P::Preferred << none << unlimited;
    QTest::newRow("capture") << "cb_rx2file" << P::Minimum << P::Preferred << none << unlimited;
    QTest::newRow("clear view") << "btn_showClear" << P::Minimum << P::Preferred << none << QSize(60, MAX);
    QTest::newRow("banner strip") << "widget_banner" << P::Preferred << P::Minimum << QSize(0, 112) << unlimited;
    QTest::newRow("advert button") << "btn_adv" << P::Minimum << P::Minimum << QSize(840, 112) << unlimited;
}

void TestForm::sizeLimits()
{
    QFETCH(QString, name);
    QFETCH(QSizePolicy::Policy, horizontal);
    QFETCH(QSizePolicy::Policy, vertical);
    QFETCH(QSize, minimum);
    QFETCH(QSize, maximum);

    // On the bare form: the window itself gives the splitter panes stretch.
    auto *widget = host->findChild<QWidget *>(name);
    QVERIFY(widget);
    const QSizePolicy policy = widget->sizePolicy();
    QCOMPARE(policy.horizontalPolicy(), horizontal);
    QCOMPARE(policy.verticalPolicy(), vertical);
    QCOMPARE(policy.horizontalStretch(), 0);
    QCOMPARE(policy.verticalStretch(), 0);
    QCOMPARE(widget->minimumSize(), minimum);
    QCOMPARE(widget->maximumSize(), maximum);
}

void TestForm::frames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("shape");
    QTest::addColumn<int>("shadow");

    QTest::newRow("outer frame") << "frame" << int(QFrame::StyledPanel) << int(QFrame::Raised);
    QTest::newRow("left panel") << "frm_panel" << int(QFrame::StyledPanel) << int(QFrame::Raised);
    QTest::newRow("work area") << "frame_3" << int(QFrame::NoFrame) << int(QFrame::Plain);
    QTest::newRow("splitter") << "splitter" << int(QFrame::NoFrame) << int(QFrame::Plain);
    QTest::newRow("send pane") << "frame_4" << int(QFrame::Panel) << int(QFrame::Sunken);
    QTest::newRow("traffic pane") << "frame_5" << int(QFrame::Panel) << int(QFrame::Sunken);
}

void TestForm::frames()
{
    QFETCH(QString, name);
    QFETCH(int, shape);
    QFETCH(int, shadow);

    auto *frame = window->findChild<QFrame *>(name);
    QVERIFY(frame);
    QCOMPARE(int(frame->frameShape()), shape);
    QCOMPARE(int(frame->frameShadow()), shadow);
}

void TestForm::splitterSettings()
{
    Ui::MainWindow *ui = MainWindowProbe::ui(*window);
    QCOMPARE(ui->splitter->orientation(), Qt::Vertical);
    QCOMPARE(ui->splitter->handleWidth(), 2);
    QVERIFY(ui->splitter->childrenCollapsible());
    QCOMPARE(ui->splitter->count(), 2);
    QCOMPARE(ui->splitter->widget(0), ui->frame_4);
    QCOMPARE(ui->splitter->widget(1), ui->frame_5);
}

void TestForm::texts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");

    QTest::newRow("window title") << "MainWindow" << "v2024.0808";
    QTest::newRow("language button") << "btn_language" << "English";
    QTest::newRow("on-top box") << "cb_onTop" << QStringLiteral("窗口最前");
    QTest::newRow("port group") << "groupBox" << QStringLiteral("选择串口");
    QTest::newRow("port label") << "label_9" << QStringLiteral("串口：");
    QTest::newRow("refresh button") << "btn_ser_refresh" << QStringLiteral("刷新");
    QTest::newRow("baud label") << "label_6" << QStringLiteral("波特率：");
    QTest::newRow("baud unit") << "label_11" << "bps";
    QTest::newRow("connect button") << "btn_ser_conn" << QStringLiteral("打开串口");
    QTest::newRow("statistics group") << "groupBox_3" << QStringLiteral("信息");
    QTest::newRow("clear counters") << "btn_cntClear" << QStringLiteral("清零");
    QTest::newRow("send group") << "gb_send" << QStringLiteral("发送操作");
    QTest::newRow("tag box") << "cb_tag" << "Tag Enable";
    QTest::newRow("SID range label") << "label_4" << QStringLiteral("串口范围：");
    QTest::newRow("SID low placeholder") << "le_sid_min" << "1";
    QTest::newRow("SID dash") << "label_8" << "-";
    QTest::newRow("SID high placeholder") << "le_sid_max" << "2";
    QTest::newRow("compare box") << "cb_trxCmp" << QStringLiteral("收发比较");
    QTest::newRow("stop box") << "cb_autoStop" << QStringLiteral("出错停发");
    QTest::newRow("random box, two spaces") << "cb_randData" << QStringLiteral("发送随机数  长度：");
    QTest::newRow("shortest length placeholder") << "le_txLenMin" << "1234";
    QTest::newRow("length dash") << "label_21" << "-";
    QTest::newRow("longest length, none") << "le_txLenMax" << "";
    QTest::newRow("bytes label") << "label_18" << QStringLiteral("字节");
    QTest::newRow("new data button") << "btn_newData" << QStringLiteral("生成数据");
    QTest::newRow("send one button") << "btn_txOne" << QStringLiteral("手动发送");
    QTest::newRow("answer-driven button") << "btn_txAck" << QStringLiteral("应答式发送");
    QTest::newRow("timed button") << "btn_txAuto" << QStringLiteral("定时发送");
    QTest::newRow("period label") << "label_2" << QStringLiteral("间隔");
    QTest::newRow("period placeholder") << "le_txTm" << "12345";
    QTest::newRow("period unit") << "label" << QStringLiteral("毫秒");
    QTest::newRow("display group") << "gb_display" << QStringLiteral("数据显示");
    QTest::newRow("show sent box") << "cb_txShow" << QStringLiteral("显示发送");
    QTest::newRow("show received box") << "cb_rxShow" << QStringLiteral("显示接收");
    QTest::newRow("wrap box") << "cb_wrap" << QStringLiteral("换行");
    QTest::newRow("capture box") << "cb_rx2file" << QStringLiteral("保存");
    QTest::newRow("clear view button") << "btn_showClear" << QStringLiteral("清除");
    QTest::newRow("advert button, image only") << "btn_adv" << "";
}

void TestForm::texts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);

    const QObject *object = name == host->objectName() ? host.get() : host->findChild<QObject *>(name);
    QVERIFY(object);
    QCOMPARE(textOf(object), text);
}

void TestForm::baudRateItems()
{
    QVERIFY(form.comb_bps->isEditable());
    QStringList items;
    for (int i = 0; i < form.comb_bps->count(); ++i)
        items << form.comb_bps->itemText(i);
    QCOMPARE(items, (QStringList{"9600", "19200", "38400", "57600", "115200"}));
    QCOMPARE(form.comb_bps->currentIndex(), 0);
    QCOMPARE(form.comb_sers->count(), 0);
}

void TestForm::statisticsPanelStartsEmpty()
{
    QVERIFY(form.txt_info->toPlainText().isEmpty());
    const QString html = form.txt_info->toHtml();
    QVERIFY2(html.contains(QLatin1String("font-family:'SimSun'")), qPrintable(html));
    QVERIFY2(html.contains(QLatin1String("font-size:9pt")), qPrintable(html));
}

void TestForm::textsGoThroughLookupInOrder()
{
    RecordingTranslator translator;
    QVERIFY(QCoreApplication::installTranslator(&translator));
    QCoreApplication::processEvents(); // the language-change notices, before recording
    translator.lookups.clear();
    form.retranslateUi(host.get());
    const QVector<RecordingTranslator::Lookup> lookups = translator.lookups;
    QCoreApplication::removeTranslator(&translator);
    const QString lookedUpTitle = host->windowTitle();
    const QString lookedUpItem = form.comb_bps->itemText(4);
    const QString advertText = form.btn_adv->text();
    form.retranslateUi(host.get()); // back to the source texts for the other tests

    QStringList sources;
    for (const auto &lookup : lookups) {
        QCOMPARE(lookup.context, QStringLiteral("MainWindow"));
        QVERIFY(!lookup.disambiguated);
        QCOMPARE(lookup.n, -1);
        sources << (lookup.source.startsWith(EMPTY_DOCUMENT_MARK) ? QStringLiteral("<empty document>")
                                                                  : lookup.source);
    }
    const QStringList expected{
        "v2024.0808",  "English", "窗口最前", "选择串口", "串口：",  "刷新",    "波特率：",
        "bps",         "9600",    "19200",    "38400",    "57600",   "115200",  "打开串口",
        "信息",        "<empty document>",    "清零",     "发送操作", "Tag Enable", "串口范围：",
        "1",           "-",       "2",        "收发比较", "出错停发", "发送随机数  长度：",
        "1234",        "-",       "字节",     "生成数据", "手动发送", "应答式发送", "定时发送",
        "间隔",        "12345",   "毫秒",     "数据显示", "显示发送", "显示接收", "换行",
        "保存",        "清除"};
    QCOMPARE(sources, expected);
    // What the lookup answers is what the widgets show; the advert button asks nothing.
    QCOMPARE(lookedUpTitle, QStringLiteral("T:v2024.0808"));
    QCOMPARE(lookedUpItem, QStringLiteral("T:115200"));
    QCOMPARE(advertText, QString());
}

QTEST_MAIN(TestForm)
#include "tst_form.moc"
