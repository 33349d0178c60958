#include "platform/ui/qt/qtbackend.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextDocument>
#include <QTimer>
#include <QUiLoader>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>

#include "platform/ui/model.h"
#include "platform/ui/qt/column_list.h"
#include "platform/ui/qt/widget_sync.h"
#include "platform/ui/qt/widgets.h"

namespace ui {

namespace {

class Loader : public QUiLoader {
public:
    QWidget* createWidget(const QString& cls, QWidget* parent, const QString& name) override
    {
        QWidget* w = nullptr;
        if (cls == "OrivanGraph") w = new OrivanGraph(parent);
        else if (cls == "OrivanLed") w = new OrivanLed(parent);
        else if (cls == "OrivanTimer") w = new OrivanTimer(parent);
        else if (cls == "QListWidget") w = new ColumnList(parent);
        else return QUiLoader::createWidget(cls, parent, name);
        w->setObjectName(name);
        return w;
    }
};

struct View {
    QWidget* root = nullptr;
    std::map<int, QWidget*> widgets;
    std::map<int, QLabel*> buddies;
    std::map<int, QTimer*> timers;
};

class QtBackend;
QtBackend* g_qt = nullptr;

class CloseFilter : public QObject {
public:
    int panel;
    explicit CloseFilter(int p, QObject* parent) : QObject(parent), panel(p) {}
    bool eventFilter(QObject*, QEvent* e) override;
};

class QtBackend : public Backend {
public:
    std::map<int, View> views;
    int applying = 0;
    bool quitRequested = false;
    int quitCode = 0;
    int waitDepth = 0;

    const char* name() const override { return "qt"; }

    QWidget* widget(int panel, int control)
    {
        auto it = views.find(panel);
        if (it == views.end()) return nullptr;
        auto w = it->second.widgets.find(control);
        return w == it->second.widgets.end() ? nullptr : w->second;
    }

    void panelLoaded(Panel& p) override
    {
        Loader loader;
        QFile f(QString::fromStdString(p.file));
        QWidget* root = f.open(QIODevice::ReadOnly) ? loader.load(&f, nullptr) : nullptr;
        if (!root) {
            std::fprintf(stderr, "panel %s: %s\n", p.file.c_str(), loader.errorString().toLocal8Bit().constData());
            return;
        }
        View& v = views[p.handle];
        v.root = root;
        root->setWindowTitle(QString::fromStdString(p.title));
        root->installEventFilter(new CloseFilter(p.handle, root));
        if (auto* dlg = qobject_cast<QDialog*>(root)) {
            dlg->setModal(false);
            QObject::connect(dlg, &QDialog::rejected, dlg, [h = p.handle] { ClosedByUser(h); });
        }
        // Fields may shrink below their text's width so that the pages fit
        // smaller screens; their size hints keep the comfortable widths.
        for (QAbstractSpinBox* sb : root->findChildren<QAbstractSpinBox*>()) sb->setMinimumWidth(72);
        for (QComboBox* cb : root->findChildren<QComboBox*>()) {
            cb->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
            cb->setMinimumContentsLength(6);
        }
        for (QLabel* l : root->findChildren<QLabel*>())
            if (l->buddy())
                for (auto& c : p.controls)
                    if (l->buddy()->objectName() == QString::fromStdString(c.name)) v.buddies[c.id] = l;
        for (auto& c : p.controls) {
            QWidget* w = root->findChild<QWidget*>(QString::fromStdString(c.name));
            if (!w) continue;
            v.widgets[c.id] = w;
            connectControl(p.handle, c, w);
            if (auto* tw = qobject_cast<QTableWidget*>(w)) {
                tw->setWordWrap(false);
                tw->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
                tw->verticalHeader()->setDefaultSectionSize(tw->fontMetrics().height() + 6);
                bool rowLabels = false;
                for (const auto& l : c.rowLabels) rowLabels = rowLabels || !l.empty();
                tw->verticalHeader()->setVisible(rowLabels);
            }
            if (c.kind == Kind::Timer) {
                auto* t = new QTimer(root);
                v.timers[c.id] = t;
                QObject::connect(t, &QTimer::timeout, t, [h = p.handle, id = c.id] {
                    Control* cc = FindCtrl(h, id);
                    if (cc && cc->attrInt(ATTR_ENABLED)) Deliver(Event{h, id, EVENT_TIMER_TICK});
                });
                timerChanged(p, c);
            }
            apply(p, c);
        }
        root->hide();
    }

    static void ClosedByUser(int handle)
    {
        Panel* p = FindPanel(handle);
        if (!p) return;
        if (p->callback || !p->callbackName.empty()) {
            Deliver(Event{handle, 0, EVENT_CLOSE});
            if (FindPanel(handle) && FindPanel(handle)->visible && g_qt) g_qt->panelChanged(*FindPanel(handle));
        } else {
            p->visible = false;
            p->popup = false;
        }
    }

    void panelDiscarded(int handle) override
    {
        auto it = views.find(handle);
        if (it == views.end()) return;
        if (it->second.root) it->second.root->deleteLater();
        views.erase(it);
    }

    void panelChanged(Panel& p) override
    {
        auto it = views.find(p.handle);
        if (it == views.end() || !it->second.root) return;
        QWidget* root = it->second.root;
        root->setWindowTitle(QString::fromStdString(p.title));
        root->setEnabled(!p.dimmed);
        if (p.tabOwner) return;   // tab pages follow their tab control
        root->setWindowModality(p.popup ? Qt::ApplicationModal : Qt::NonModal);
        if (p.visible && !root->isVisible()) {
            if (!p.parent && !qobject_cast<QDialog*>(root)) root->resize(root->size().expandedTo(QSize(1280, 860)));
            root->show();
            root->raise();
        } else if (!p.visible && root->isVisible()) {
            root->hide();
        }
    }

    void tabChanged(Panel& owner, Control& c) override
    {
        auto* tabs = qobject_cast<QTabWidget*>(widget(owner.handle, c.id));
        if (!tabs) return;
        ++applying;
        for (size_t i = 0; i < c.pages.size(); ++i) {
            int page = c.pages[i];
            auto it = views.find(page);
            if (it == views.end()) continue;
            QWidget* root = it->second.root;
            // each page scrolls inside its tab, so the window fits small screens
            QWidget* holder = root->parentWidget() && root->parentWidget()->parentWidget()
                                  ? qobject_cast<QScrollArea*>(root->parentWidget()->parentWidget()) : nullptr;
            if (!holder) {
                auto* scroll = new QScrollArea;
                scroll->setWidgetResizable(true);
                scroll->setFrameShape(QFrame::NoFrame);
                scroll->setWidget(root);
                holder = scroll;
                tabs->addTab(scroll, root->windowTitle());
            }
            int at = tabs->indexOf(holder);
            bool dimmed = c.pageDimmed.count(page) && c.pageDimmed.at(page);
            tabs->setTabEnabled(at, !dimmed);
            if (page == c.activePage) tabs->setCurrentIndex(at);
        }
        --applying;
        if (!tabs->property("orivanConnected").toBool()) {
            tabs->setProperty("orivanConnected", true);
            QObject::connect(tabs, &QTabWidget::currentChanged, tabs, [this, h = owner.handle, id = c.id, tabs](int index) {
                if (applying) return;
                Control* cc = FindCtrl(h, id);
                if (!cc) return;
                for (int page : cc->pages)
                    if (views.count(page) && tabs->widget(index) && tabs->widget(index)->isAncestorOf(views[page].root))
                        cc->activePage = page;
            });
        }
    }

    void timerChanged(Panel& p, Control& c) override
    {
        auto it = views.find(p.handle);
        if (it == views.end()) return;
        auto t = it->second.timers.find(c.id);
        if (t == it->second.timers.end()) return;
        int ms = std::max(1, int(std::lround(c.attrReal(ATTR_INTERVAL, 1) * 1000)));
        t->second->setInterval(ms);
        if (c.attrInt(ATTR_ENABLED)) { if (!t->second->isActive()) t->second->start(); }
        else t->second->stop();
    }

    // Control changes are applied to the widgets once per turn of the event
    // loop, so that filling a table or a list cell by cell stays linear.
    std::set<std::pair<int, int>> dirty;
    bool flushScheduled = false;

    void ctrlChanged(Panel& p, Control& c) override
    {
        dirty.insert({p.handle, c.id});
        if (!flushScheduled) {
            flushScheduled = true;
            QMetaObject::invokeMethod(qApp, [this] { flush(); }, Qt::QueuedConnection);
        }
    }

    void flush()
    {
        flushScheduled = false;
        auto todo = std::move(dirty);
        dirty.clear();
        for (const auto& [h, id] : todo) {
            Panel* p = FindPanel(h);
            Control* c = p ? p->find(id) : nullptr;
            if (c) apply(*p, *c);
        }
    }

    void connectControl(int h, Control& c, QWidget* w)
    {
        int id = c.id;
        auto both = [h, id] {
            Deliver(Event{h, id, EVENT_VAL_CHANGED});
            Deliver(Event{h, id, EVENT_COMMIT});
        };
        // a right click on a numeric control with a callback is an event of its
        // own (the frame selector opens the frame values with it)
        if (qobject_cast<QAbstractSpinBox*>(w) && (c.callback || !c.callbackName.empty())) {
            w->setContextMenuPolicy(Qt::CustomContextMenu);
            QObject::connect(w, &QWidget::customContextMenuRequested, w, [h, id](const QPoint&) {
                Deliver(Event{h, id, EVENT_RIGHT_CLICK});
            });
        }
        if (auto* s = qobject_cast<QSpinBox*>(w)) {
            s->setKeyboardTracking(false);
            QObject::connect(s, &QSpinBox::valueChanged, s, [this, h, id, both](int v) {
                if (applying) return;
                SetModel(h, id, [v](Control& cc) { cc.value = Value::ofInt(v); });
                both();
            });
        } else if (auto* d = qobject_cast<QDoubleSpinBox*>(w)) {
            d->setKeyboardTracking(false);
            QObject::connect(d, &QDoubleSpinBox::valueChanged, d, [this, h, id, both](double v) {
                if (applying) return;
                SetModel(h, id, [v](Control& cc) { cc.value = Value::ofReal(v); });
                both();
            });
        } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
            QObject::connect(e, &QLineEdit::textEdited, e, [this, h, id](const QString& t) {
                if (applying) return;
                SetModel(h, id, [t](Control& cc) { cc.value = Value::ofStr(t.toStdString()); });
                Deliver(Event{h, id, EVENT_VAL_CHANGED});
            });
            QObject::connect(e, &QLineEdit::editingFinished, e, [this, h, id, e] {
                if (applying || !e->isModified()) return;
                e->setModified(false);
                Deliver(Event{h, id, EVENT_COMMIT});
            });
        } else if (auto* cb = qobject_cast<QComboBox*>(w)) {
            QObject::connect(cb, &QComboBox::activated, cb, [this, h, id, both](int i) {
                if (applying) return;
                SetModel(h, id, [i](Control& cc) { cc.index = i; });
                both();
            });
        } else if (auto* lw = qobject_cast<QListWidget*>(w)) {
            lw->setContextMenuPolicy(Qt::CustomContextMenu);
            if (auto* cl = dynamic_cast<ColumnList*>(lw)) cl->setUp();
            QObject::connect(lw, &QListWidget::currentRowChanged, lw, [this, h, id](int row) {
                if (applying || row < 0) return;
                SetModel(h, id, [row](Control& cc) { cc.index = row; });
                Deliver(Event{h, id, EVENT_VAL_CHANGED});
            });
            QObject::connect(lw, &QListWidget::itemClicked, lw, [this, h, id](QListWidgetItem*) {
                if (!applying) Deliver(Event{h, id, EVENT_COMMIT});
            });
            QObject::connect(lw, &QListWidget::customContextMenuRequested, lw, [h, id](const QPoint&) {
                Deliver(Event{h, id, EVENT_RIGHT_CLICK});
            });
        } else if (auto* ck = qobject_cast<QCheckBox*>(w)) {
            QObject::connect(ck, &QCheckBox::clicked, ck, [this, h, id, both](bool on) {
                if (applying) return;
                SetModel(h, id, [on](Control& cc) { cc.value = Value::ofInt(on); });
                both();
            });
        } else if (auto* pb = qobject_cast<QPushButton*>(w)) {
            QObject::connect(pb, &QPushButton::clicked, pb, [this, h, id, pb, both](bool on) {
                if (applying) return;
                if (pb->isCheckable()) {
                    SetModel(h, id, [on](Control& cc) { cc.value = Value::ofInt(on); });
                    both();
                } else Deliver(Event{h, id, EVENT_COMMIT});
            });
        } else if (auto* te = qobject_cast<QPlainTextEdit*>(w)) {
            QObject::connect(te, &QPlainTextEdit::textChanged, te, [this, h, id, te] {
                if (applying) return;
                QStringList lines = te->toPlainText().split('\n');
                SetModel(h, id, [lines](Control& cc) {
                    cc.lines.clear();
                    if (!(lines.size() == 1 && lines[0].isEmpty()))
                        for (const auto& l : lines) cc.lines.push_back(l.toStdString());
                });
                Deliver(Event{h, id, EVENT_VAL_CHANGED});
            });
        } else if (auto* tw = qobject_cast<QTableWidget*>(w)) {
            QObject::connect(tw, &QTableWidget::cellChanged, tw, [this, h, id, tw](int r, int col) {
                if (applying) return;
                QString t = tw->item(r, col) ? tw->item(r, col)->text() : QString();
                SetModel(h, id, [r, col, t](Control& cc) {
                    if (r < int(cc.cells.size()) && col < int(cc.cells[size_t(r)].size())) {
                        Cell& cell = cc.cells[size_t(r)][size_t(col)];
                        bool ok = false;
                        double d = t.toDouble(&ok);
                        cell.value = cell.type == VAL_CELL_NUMERIC && ok ? Value::ofReal(d) : Value::ofStr(t.toStdString());
                    }
                });
                Deliver(Event{h, id, EVENT_COMMIT});
            });
            QObject::connect(tw, &QTableWidget::currentCellChanged, tw, [this, h, id](int r, int col, int, int) {
                if (applying || r < 0) return;
                SetModel(h, id, [r, col](Control& cc) { cc.activeCell = Point{col + 1, r + 1}; });
            });
        } else if (auto* g = qobject_cast<OrivanGraph*>(w)) {
            g->bind(h, id);
            QObject::connect(g, &OrivanGraph::cursorMoved, g, [h, id](int) { Deliver(Event{h, id, EVENT_COMMIT}); });
            QObject::connect(g, &OrivanGraph::rightClicked, g, [h, id] { Deliver(Event{h, id, EVENT_RIGHT_CLICK}); });
            QObject::connect(g, &OrivanGraph::keyPressed, g, [h, id](int key) { Deliver(Event{h, id, EVENT_KEYPRESS, key}); });
        }
    }

    template <class F>
    static void SetModel(int h, int id, F f)
    {
        if (Control* c = FindCtrl(h, id)) f(*c);
    }

    void apply(Panel& p, Control& c)
    {
        QWidget* w = widget(p.handle, c.id);
        if (!w) return;
        auto bl = views[p.handle].buddies.find(c.id);
        ++applying;
        ApplyControl(w, bl != views[p.handle].buddies.end() ? bl->second : nullptr, c);
        --applying;
    }

    QWidget* activeWindow() const { return QApplication::activeWindow(); }

    int messagePopup(const std::string& title, const std::string& text) override
    {
        QMessageBox box(title == "Error" ? QMessageBox::Warning : QMessageBox::Information,
                        QString::fromStdString(title), QString::fromStdString(text), QMessageBox::Ok, activeWindow());
        box.exec();
        return 0;
    }

    int confirmPopup(const std::string& title, const std::string& text) override
    {
        QMessageBox box(QMessageBox::Question, QString::fromStdString(title), QString::fromStdString(text),
                        QMessageBox::Yes | QMessageBox::No, activeWindow());
        return box.exec() == QMessageBox::Yes ? 1 : 0;
    }

    int fileSelect(const FileRequest& r, std::string* path) override
    {
        QFileDialog dlg(activeWindow(), QString::fromStdString(r.title), QString::fromStdString(r.directory));
        // The default spec is a pattern ("*.cfg") or a proposed file name ("logging.qel").
        QString spec = QString::fromStdString(r.defaultSpec.empty() ? "*" : r.defaultSpec);
        QString pattern = spec;
        if (!spec.contains('*')) pattern = QFileInfo(spec).suffix().isEmpty() ? "*" : "*." + QFileInfo(spec).suffix();
        QStringList filters{QString("%1 (%1)").arg(pattern)};
        for (const QString& t : QString::fromStdString(r.fileTypes).split(';', Qt::SkipEmptyParts))
            if (t.trimmed() != pattern) filters << QString("%1 (%1)").arg(t.trimmed());
        if (pattern != "*") filters << "All files (*)";
        dlg.setNameFilters(filters);
        bool save = r.button == VAL_SAVE_BUTTON;
        dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        if (r.restrictExtension && pattern.startsWith("*.")) dlg.setDefaultSuffix(pattern.mid(2));
        if (!r.allowMakeDirectory) dlg.setOption(QFileDialog::ReadOnly, !save);
        if (spec != "*" && !spec.contains('*')) dlg.selectFile(spec);
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return VAL_NO_FILE_SELECTED;
        QString f = dlg.selectedFiles().first();
        *path = f.toStdString();
        return QFileInfo::exists(f) ? VAL_EXISTING_FILE_SELECTED : VAL_NEW_FILE_SELECTED;
    }

    int runLoop() override
    {
        if (quitRequested) { quitRequested = false; return quitCode; }
        int r = QApplication::exec();
        quitRequested = false;
        return r;
    }

    void quitLoop(int code) override
    {
        quitRequested = true;
        quitCode = code;
        QApplication::exit(code);
    }

    void processEvents() override { flush(); QApplication::processEvents(QEventLoop::AllEvents, 50); }
    void processDraw() override { flush(); QApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20); }

    QImage grab(int panel, int control)
    {
        flush();
        QWidget* w = control ? widget(panel, control) : (views.count(panel) ? views[panel].root : nullptr);
        if (!w) return QImage();
        if (auto* g = qobject_cast<OrivanGraph*>(w)) return g->render(w->size().expandedTo(QSize(640, 400)));
        if (!w->isVisible()) w->ensurePolished();
        return w->grab().toImage();
    }

    int print(const PrintJob& j) override
    {
        bool toFile = !j.outputFile.empty();
        QString out = QString::fromStdString(j.outputFile);
        if (toFile && j.what == PrintJob::Text && !out.endsWith(".pdf", Qt::CaseInsensitive)) {
            std::ofstream f(j.outputFile, std::ios::binary | std::ios::app);
            f << j.text;
            return f ? 0 : UIE_CouldNotOpenFile;
        }
        // No message here: the caller reports the failure, once.
        if (!toFile && QPrinterInfo::availablePrinters().isEmpty()) return UIE_NoPrinter;
        QPrinter printer(QPrinter::HighResolution);
        if (toFile) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(out);
        }
        printer.setPageOrientation(j.orientation == VAL_LANDSCAPE ? QPageLayout::Landscape : QPageLayout::Portrait);
        if (!j.documentName.empty()) printer.setDocName(QString::fromStdString(j.documentName));
        if (j.what == PrintJob::Text) {
            QTextDocument doc;
            QFont font("Monospace");
            font.setStyleHint(QFont::TypeWriter);
            const QString text = QString::fromStdString(j.text);
            // The longest line fits the page's width (a smaller font rather
            // than columns broken over two lines), down to 5 points.
            // (QTextDocument prints inside margins of 2 cm.)
            const double width = printer.pageLayout().paintRectPixels(printer.resolution()).width() -
                                 2 * 2 / 2.54 * printer.resolution();
            double size = j.fontSize;
            for (; size > 5; size -= 0.5) {
                font.setPointSizeF(size);
                const QFontMetricsF fm(font, &printer);
                double widest = 0;
                for (const QString& line : text.split(QLatin1Char('\n'))) widest = std::max(widest, fm.horizontalAdvance(line));
                if (widest <= width) break;
            }
            font.setPointSizeF(size);
            doc.setDefaultFont(font);
            doc.setPlainText(text);
            doc.print(&printer);
            return printer.printerState() == QPrinter::Error ? UIE_PrinterFailed : 0;
        }
        QImage img = grab(j.panel, j.control);
        if (img.isNull()) return UIE_InvalidControl;
        QPainter p;
        if (!p.begin(&printer)) return toFile ? UIE_CouldNotOpenFile : UIE_PrinterFailed;
        QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
        page.moveTo(0, 0);
        QSize s = img.size().scaled(page.size(), Qt::KeepAspectRatio);
        p.drawImage(QRect(QPoint(0, 0), s), img);
        p.end();
        return 0;
    }

    int renderCtrl(Panel& p, Control& c, Bitmap* b) override
    {
        QImage img = grab(p.handle, c.id);
        if (img.isNull()) return UIE_InvalidControl;
        FromImage(img, b);
        return 0;
    }

    int renderPanel(Panel& p, Bitmap* b) override
    {
        QImage img = grab(p.handle, 0);
        if (img.isNull()) return UIE_InvalidPanel;
        FromImage(img, b);
        return 0;
    }

    int loadBitmap(const std::string& path, Bitmap* b) override
    {
        QImage img(QString::fromStdString(path));
        if (img.isNull()) return UIE_CouldNotOpenFile;
        FromImage(img, b);
        b->path = path;
        return 0;
    }

    int saveBitmap(const Bitmap& b, const std::string& path) override
    {
        QImage img = ToImage(b);
        return !img.isNull() && img.save(QString::fromStdString(path)) ? 0 : UIE_CouldNotOpenFile;
    }

    int clipboardPut(const Bitmap& b) override
    {
        QImage img = ToImage(b);
        if (img.isNull()) return UIE_OperationNotAllowed;
        QApplication::clipboard()->setImage(img);
        return 0;
    }

    void setMouseCursor(int shape) override
    {
        while (waitDepth > 0) { QApplication::restoreOverrideCursor(); --waitDepth; }
        if (shape == VAL_HOUR_GLASS_CURSOR) { QApplication::setOverrideCursor(Qt::WaitCursor); ++waitDepth; }
    }

    void beep() override { QApplication::beep(); }
};

bool CloseFilter::eventFilter(QObject*, QEvent* e)
{
    if (e->type() != QEvent::Close) return false;
    Panel* p = FindPanel(panel);
    if (!p) return false;
    if (g_qt && g_qt->quitRequested) return false;
    if (p->callback || !p->callbackName.empty()) {
        e->ignore();
        QtBackend::ClosedByUser(panel);
        return true;
    }
    p->visible = false;
    p->popup = false;
    return false;
}

}  // namespace

bool UseQtBackend(int& argc, char** argv)
{
    if (!QApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
            qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            return false;
        new QApplication(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
    }
    auto b = std::make_unique<QtBackend>();
    g_qt = b.get();
    SetBackend(std::move(b));
    return true;
}

QWidget* PanelWidget(int panel)
{
    if (!g_qt) return nullptr;
    g_qt->flush();
    auto it = g_qt->views.find(panel);
    return it == g_qt->views.end() ? nullptr : it->second.root;
}

QWidget* ControlWidget(int panel, int control)
{
    if (!g_qt) return nullptr;
    g_qt->flush();
    return g_qt->widget(panel, control);
}

}  // namespace ui
