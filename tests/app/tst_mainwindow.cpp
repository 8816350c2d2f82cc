// The main window: its life, its slot table, the widgets its logic relies on,
// what a user sees of the form, and the form's texts.
#include "mainwindowprobe.h"
#include "testsupport.h"

#include <QIntValidator>
#include <QtTest>

#include <memory>
#include <optional>

namespace {

QStringList qtWarnings; // filled while the handler below is installed

// Answers every lookup with the source text marked "T:", noting the contexts asked in.
struct MarkingTranslator : QTranslator {
    mutable QSet<QString> contexts;
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *source, const char *, int) const override
    {
        contexts << QString::fromUtf8(context);
        return QStringLiteral("T:") + QString::fromUtf8(source);
    }
};

// A window's title, a widget's text; a text view's plain text and, if it sets one, its font.
QString textOf(const QWidget *widget)
{
    if (auto *view = qobject_cast<const QTextEdit *>(widget)) {
        const QTextCharFormat f = QTextCursor(view->document()).charFormat();
        const QString font = QStringLiteral("[%1 %2pt]").arg(f.fontFamily()).arg(f.fontPointSize());
        return view->toPlainText() + (f.fontFamily().isEmpty() ? QString() : font);
    }
    return widget->isWindow() ? widget->windowTitle() : widget->property("text").toString();
}

// A widget's class with the traits a user notices, as "QPushButton, checkable".
QString describe(const QWidget *widget)
{
    QStringList traits{QString::fromLatin1(widget->metaObject()->className())};
    auto *button = qobject_cast<const QPushButton *>(widget);
    if (button && button->isCheckable())
        traits << "checkable";
    if (button && button->isFlat())
        traits << "flat";
    if (auto *edit = qobject_cast<const QLineEdit *>(widget)) {
        traits << QStringLiteral("max %1").arg(edit->maxLength());
        if (auto *range = qobject_cast<const QIntValidator *>(edit->validator()))
            traits << QStringLiteral("%1-%2").arg(range->bottom()).arg(range->top());
        else if (edit->validator())
            traits << "other validator";
    }
    if (auto *combo = qobject_cast<const QComboBox *>(widget); combo && combo->isEditable())
        traits << "editable";
    if (auto *v = qobject_cast<const QTextEdit *>(widget); v && v->lineWrapMode() == v->NoWrap)
        traits << "no wrap";
    if (auto *s = qobject_cast<const QSplitter *>(widget); s && s->orientation() == Qt::Vertical)
        traits << "vertical";
    if (!widget->isEnabledTo(widget->parentWidget()))
        traits << "disabled";
    return traits.join(", ");
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

    std::optional<TestWorkDir> workDir;

private slots:
    void init() { QVERIFY(workDir.emplace().isValid()); }
    void cleanup() { workDir.reset(); }

    void buildsShowsAndGoesCleanly()
    {
        WarningCatcher boxes;
        qtWarnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext &, const QString &message) {
                if (type == QtWarningMsg)
                    qtWarnings << message;
            });
        auto window = std::make_unique<MainWindow>();
        qInstallMessageHandler(previous);
        // Every on_<object>_<signal> slot found its widget and signal.
        const QStringList unbound = qtWarnings.filter("connectSlotsByName");
        QVERIFY2(unbound.isEmpty(), qPrintable(unbound.join('\n')));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QVERIFY2(boxes.count() == 0, qPrintable(boxes.describe().join('\n')));

        const QPointer<QWidget> someWidget = MainWindowProbe::ui(*window)->te_txData;
        window.reset();
        QVERIFY(someWidget.isNull());
        QCOMPARE(workDir->entries(), QStringList()); // settings are written on close only
    }

    void slotsInOrder()
    {
        const QMetaObject &meta = MainWindow::staticMetaObject;
        QByteArrayList slotList;
        for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
            const QMetaMethod method = meta.method(i);
            QCOMPARE(method.methodType(), QMetaMethod::Slot);
            const bool isPublic = method.access() == QMetaMethod::Public;
            slotList << (isPublic ? "public " : "") + method.methodSignature();
        }
        QCOMPARE(slotList, (QByteArrayList{
            "serial_rx()", "on_te_txData_textChanged()", "on_btn_cntClear_clicked()",
            "on_btn_showClear_clicked()", "on_btn_txOne_clicked()", "on_btn_newData_clicked()",
            "on_cb_rx2file_clicked(bool)", "on_cb_onTop_clicked(bool)", "on_cb_wrap_clicked(bool)",
            "on_btn_adv_clicked()", "on_btn_language_clicked()", "on_btn_ser_conn_clicked()",
            "on_btn_ser_refresh_clicked()", "on_cb_randData_clicked(bool)",
            "on_btn_txAck_clicked()", "on_btn_txAuto_clicked()",
            "public slotWarningMessage(QString,QString)"}));
    }

    void logicWidgets_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("description");

        const char *const byDescription[][2] = {
            {"QPushButton", "btn_language btn_ser_refresh btn_cntClear btn_newData btn_txOne "
                            "btn_showClear"},
            {"QPushButton, checkable", "btn_ser_conn btn_txAck btn_txAuto"},
            {"QPushButton, flat", "btn_adv"},
            {"QCheckBox", "cb_onTop cb_tag cb_trxCmp cb_autoStop cb_randData cb_txShow cb_rxShow "
                          "cb_wrap cb_rx2file"},
            {"QLineEdit, max 4, 1-2", "le_sid_min le_sid_max"},
            {"QLineEdit, max 5, 1-4096", "le_txLenMin le_txLenMax"},
            {"QLineEdit, max 64", "le_txTm"},
            {"QComboBox", "comb_sers"}, {"QComboBox, editable", "comb_bps"},
            {"QTextBrowser", "txt_info"}, {"QTextBrowser, no wrap", "txt_data"},
            {"QPlainTextEdit", "te_txData"}, {"QSplitter, vertical", "splitter"},
            {"QGroupBox, disabled", "gb_send"}, {"QWidget", "widget_banner"}};
        for (const auto &group : byDescription)
            for (const QString &name : QString::fromLatin1(group[1]).split(' '))
                QTest::newRow(qPrintable(name)) << name << group[0];
    }

    void logicWidgets()
    {
        QFETCH(QString, name);
        QFETCH(QString, description);

        MainWindow window;
        const QList<QWidget *> found = window.findChildren<QWidget *>(name);
        QCOMPARE(found.size(), 1);
        QCOMPARE(describe(found.first()), description);
    }

    void sizeSplitAndBanner()
    {
        MainWindow window;
        Ui::MainWindow *ui = MainWindowProbe::ui(window);
        QCOMPARE(window.size(), QSize(926, 736));
        QCOMPARE(ui->splitter->widget(0)->sizePolicy().verticalStretch(), 1); // send area
        QCOMPARE(ui->splitter->widget(1)->sizePolicy().verticalStretch(), 3); // traffic view

        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(ui->widget_banner->height() >= 112);
        QVERIFY(ui->btn_adv->width() >= 840);
        QVERIFY(ui->btn_adv->height() >= 112);
    }

    void stayOnTopComesAndGoes()
    {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCheckBox *box = MainWindowProbe::ui(window)->cb_onTop;
        for (const bool onTop : {true, false}) {
            QTest::mouseClick(box, Qt::LeftButton);
            // New flags hide the window; the slot shows it again.
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QCOMPARE(box->isChecked(), onTop);
            QCOMPARE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint), onTop);
            QVERIFY(window.isVisible());
        }
    }

    void formTexts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("lookedUp"); // through a translator that marks its answers

        const QString randomData = QStringLiteral("发送随机数  长度：");
        QTest::newRow("window title") << "MainWindow" << "v2024.0808" << "T:v2024.0808";
        QTest::newRow("two spaces") << "cb_randData" << randomData << "T:" + randomData;
        // Marked, the document's source no longer reads as that document.
        QTest::newRow("statistics, empty rich text") << "txt_info" << "[SimSun 9pt]" << "T:\n";
    }

    // On a bare form: the texts as the text routine leaves them, before the window's start-up.
    void formTexts()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QString, lookedUp);

        QMainWindow host;
        Ui::MainWindow form;
        form.setupUi(&host);
        const QWidget *widget = name == host.objectName() ? &host : host.findChild<QWidget *>(name);
        QVERIFY(widget);
        QCOMPARE(textOf(widget), text);

        MarkingTranslator translator;
        QVERIFY(QCoreApplication::installTranslator(&translator));
        QCoreApplication::processEvents(); // the language-change notices, before recording
        translator.contexts.clear();
        form.retranslateUi(&host);
        QCoreApplication::removeTranslator(&translator);
        QCOMPARE(translator.contexts, QSet<QString>{"MainWindow"});
        QCOMPARE(textOf(widget), lookedUp);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
