// The main window: its life, its slot table, the widgets its logic relies on, the form's texts.
#include "mainwindowprobe.h"
#include "testsupport.h"

#include <QIntValidator>
#include <QtTest>

#include <optional>

// Answers every lookup with the source text marked "T:", noting the contexts asked in.
struct MarkingTranslator : QTranslator {
    bool isEmpty() const override { return false; }
    mutable QSet<QString> contexts;
    QString translate(const char *context, const char *source, const char *, int) const override
    {
        contexts << QString::fromUtf8(context);
        return QStringLiteral("T:") + QString::fromUtf8(source);
    }
};

// A widget's class with the traits a user notices, as "QPushButton, checkable".
static QString describe(const QWidget *w)
{
    QStringList traits{QString::fromLatin1(w->metaObject()->className())};
    for (const char *trait : {"checkable", "flat", "editable"}) // buttons, combo boxes
        if (w->property(trait).toBool())
            traits << trait;
    if (auto *edit = qobject_cast<const QLineEdit *>(w)) {
        traits << QStringLiteral("max %1").arg(edit->maxLength());
        if (auto *range = qobject_cast<const QIntValidator *>(edit->validator()))
            traits << QStringLiteral("%1-%2").arg(range->bottom()).arg(range->top());
    }
    if (auto *v = qobject_cast<const QTextEdit *>(w); v && v->lineWrapMode() == v->NoWrap)
        traits << "no wrap";
    if (auto *s = qobject_cast<const QSplitter *>(w); s && s->orientation() == Qt::Vertical)
        traits << "vertical";
    if (!w->isEnabledTo(w->parentWidget()))
        traits << "disabled";
    return traits.join(", ");
}

class TestMainWindow : public QObject
{
    Q_OBJECT

    std::optional<TestWorkDir> workDir;

private slots:
    void init() { QVERIFY(workDir.emplace().isValid()); }

    // Shown without a box, at its size; stays on top on demand; gone without writing a file.
    void lifeLayoutAndStayOnTop()
    {
        WarningCatcher boxes;
        std::optional<MainWindow> window(std::in_place);
        Ui::MainWindow *ui = MainWindowProbe::ui(*window);
        QCOMPARE(window->size(), QSize(926, 736));
        QCOMPARE(ui->splitter->widget(0)->sizePolicy().verticalStretch(), 1); // send area
        QCOMPARE(ui->splitter->widget(1)->sizePolicy().verticalStretch(), 3); // traffic view
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(&*window));
        QVERIFY2(boxes.count() == 0, qPrintable(boxes.describe().join('\n')));
        QVERIFY(ui->widget_banner->height() >= 112);
        QVERIFY(ui->btn_adv->width() >= 840 && ui->btn_adv->height() >= 112);

        for (const bool onTop : {true, false}) {
            QTest::mouseClick(ui->cb_onTop, Qt::LeftButton);
            QVERIFY(QTest::qWaitForWindowExposed(&*window)); // new flags hid it; shown again
            QCOMPARE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint), onTop);
        }
        window.reset();
        QCOMPARE(workDir->entries(), QStringList()); // settings are written on close only
    }

    void slotsInOrder()
    {
        const QMetaObject &meta = MainWindow::staticMetaObject;
        QByteArrayList found;
        for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
            const QMetaMethod m = meta.method(i);
            QCOMPARE(m.methodType(), QMetaMethod::Slot);
            found << (m.access() == QMetaMethod::Public ? "public " : "") + m.methodSignature();
        }
        QCOMPARE(found, (QByteArrayList{
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
        QTest::addColumn<QString>("description"); // of the widget named by the row
        const char *const byDescription[][2] = {
            {"QPushButton", "btn_language btn_ser_refresh btn_cntClear btn_newData btn_txOne "
                            "btn_showClear"},
            {"QPushButton, checkable", "btn_ser_conn btn_txAck btn_txAuto"},
            {"QPushButton, flat", "btn_adv"}, {"QComboBox", "comb_sers"},
            {"QCheckBox, checkable", "cb_onTop cb_tag cb_trxCmp cb_autoStop cb_randData cb_txShow "
                                     "cb_rxShow cb_wrap cb_rx2file"},
            {"QLineEdit, max 4, 1-2", "le_sid_min le_sid_max"}, {"QLineEdit, max 64", "le_txTm"},
            {"QLineEdit, max 5, 1-4096", "le_txLenMin le_txLenMax"}, {"QWidget", "widget_banner"},
            {"QComboBox, editable", "comb_bps"}, {"QTextBrowser", "txt_info"},
            {"QTextBrowser, no wrap", "txt_data"}, {"QPlainTextEdit", "te_txData"},
            {"QSplitter, vertical", "splitter"}, {"QGroupBox, disabled", "gb_send"}};
        for (const auto &group : byDescription)
            for (const QString &name : QString::fromLatin1(group[1]).split(' '))
                QTest::newRow(qPrintable(name)) << group[0];
    }
    void logicWidgets()
    {
        QFETCH(QString, description);
        MainWindow window;
        QCOMPARE(window.findChildren<QWidget *>(QTest::currentDataTag()).size(), 1);
        QCOMPARE(describe(window.findChild<QWidget *>(QTest::currentDataTag())), description);
    }

    // A bare form, before start-up: its texts, then each looked up in the context "MainWindow".
    void formTexts()
    {
        QMainWindow w;
        Ui::MainWindow ui;
        ui.setupUi(&w);
        const QTextCharFormat f = QTextCursor(ui.txt_info->document()).charFormat();
        QCOMPARE(f.fontFamily() + ' ' + QString::number(f.fontPointSize()), QString("SimSun 9"));
        const auto texts = [&] {
            return QStringList{w.windowTitle(), ui.cb_randData->text(), ui.txt_info->toPlainText()};
        };
        QCOMPARE(texts(), (QStringList{"v2024.0808", "发送随机数  长度：", ""}));

        MarkingTranslator translator;
        QVERIFY(QCoreApplication::installTranslator(&translator));
        translator.contexts.clear(); // installing it asked for the layout direction
        ui.retranslateUi(&w);
        QCOMPARE(translator.contexts, QSet<QString>{"MainWindow"});
        QCOMPARE(texts().filter(QRegularExpression("^T:")).size(), 3);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
