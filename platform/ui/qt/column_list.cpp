#include "platform/ui/qt/column_list.h"

#include <QLabel>
#include <QPainter>
#include <QRegularExpression>
#include <QStyledItemDelegate>
#include <algorithm>
#include <functional>

namespace ui {

namespace {

struct Segment {
    QString text;
    int pos = 0;      // the escape's position, pixels before scaling
    char mode = 'l';  // 'c' centred, 'l' left-aligned, 'r' right-aligned
};

// The text before the first escape (column 0), then one segment per escape.
std::vector<Segment> Segments(const QString& raw)
{
    std::vector<Segment> out;
    Segment s;
    int i = 0;
    while (true) {
        const int next = raw.indexOf(QChar(27), i);
        s.text = raw.mid(i, next < 0 ? -1 : next - i);
        out.push_back(s);
        if (next < 0) break;
        int j = next + 1;
        if (j < raw.size() && raw[j] == QLatin1Char('p')) {
            int k = j + 1;
            while (k < raw.size() && raw[k].isDigit()) ++k;
            s.pos = raw.mid(j + 1, k - j - 1).toInt();
            const char m = k < raw.size() ? raw[k].toLatin1() : 'l';
            s.mode = m == 'c' || m == 'r' ? m : 'l';
            i = k + 1;
        } else i = j;
    }
    // A centred value is centred as it reads, without its padding blanks.
    for (Segment& seg : out)
        if (seg.mode == 'c') seg.text = seg.text.trimmed();
    return out;
}

QString Raw(const QModelIndex& index)
{
    const QVariant raw = index.data(Qt::UserRole);
    return raw.isValid() ? raw.toString() : index.data(Qt::DisplayRole).toString();
}

int StartOf(int anchor, int width, char mode) { return mode == 'c' ? anchor - width / 2 : mode == 'r' ? anchor - width : anchor; }

class ColumnDelegate : public QStyledItemDelegate {
public:
    ColumnDelegate(QListWidget* list, double scale) : QStyledItemDelegate(list), list_(list), scale_(scale > 0 ? scale : 1.0) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QString raw = Raw(index);
        if (!raw.contains(QChar(27))) { QStyledItemDelegate::paint(p, option, index); return; }
        QStyleOptionViewItem o = option;
        initStyleOption(&o, index);
        o.text.clear();
        o.widget->style()->drawControl(QStyle::CE_ItemViewItem, &o, p, o.widget);
        p->save();
        p->setPen(o.palette.color(o.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
        const QFontMetrics fm(o.font);
        const auto* columns = dynamic_cast<const ColumnList*>(list_);
        const ColumnList::Layout* shared = columns && columns->aligned() ? &columns->layout() : nullptr;
        const std::vector<Segment> segs = Segments(raw);
        for (size_t k = 0; k < segs.size(); ++k) {
            int anchor = 0;
            if (shared && k < shared->anchor.size()) anchor = shared->anchor[k];
            else anchor = k == 0 ? 3 : int(segs[k].pos * scale_ + 0.5);
            const int w = fm.horizontalAdvance(segs[k].text);
            const int at = o.rect.left() + StartOf(anchor, w, segs[k].mode);
            p->drawText(QRect(at, o.rect.top(), w + 2, o.rect.height()), Qt::AlignVCenter | Qt::AlignLeft, segs[k].text);
        }
        p->restore();
    }

private:
    const QListWidget* list_;
    double scale_;
};

class HeadingStrip : public QWidget {
public:
    HeadingStrip(ColumnList* list, std::function<QString()> text) : QWidget(list), list_(list), text_(std::move(text)) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), palette().color(QPalette::Base));
        p.setPen(palette().color(QPalette::Mid));
        p.drawLine(0, height() - 1, width(), height() - 1);
        QFont f = list_->font();
        f.setBold(true);
        p.setFont(f);
        p.setPen(palette().color(QPalette::Text));
        const QFontMetrics fm(f);
        const QStringList words = text_().split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
        if (words.isEmpty()) return;
        const ColumnList::Layout& l = list_->layout();
        const int values = int(l.anchor.size()) - 1, groups = int(words.size()) - 1;
        auto draw = [&](int x, const QString& s) { p.drawText(QRect(x, 0, fm.horizontalAdvance(s) + 2, height()), Qt::AlignVCenter | Qt::AlignLeft, s); };
        if (!list_->aligned() || groups < 1 || values < groups || values % groups != 0) {
            draw(3, words.join(QStringLiteral("   ")));
            return;
        }
        draw(l.left[0], words[0]);
        const int per = values / groups;
        for (int g = 0; g < groups; ++g) {
            const int from = l.left[size_t(1 + g * per)], to = l.right[size_t((g + 1) * per)];
            const int w = fm.horizontalAdvance(words[g + 1]);
            draw((from + to) / 2 - w / 2, words[g + 1]);
        }
    }

private:
    ColumnList* list_;
    std::function<QString()> text_;
};

}  // namespace

ColumnList::ColumnList(QWidget* parent) : QListWidget(parent) {}

void ColumnList::setUp()
{
    scale_ = property("column_scale").toDouble();
    if (!(scale_ > 0)) scale_ = 1.0;
    aligned_ = property("aligned_columns").toBool();
    setItemDelegate(new ColumnDelegate(this, scale_));
    QAbstractItemModel* m = model();
    connect(m, &QAbstractItemModel::rowsInserted, this, [this] { contentChanged(); });
    connect(m, &QAbstractItemModel::rowsRemoved, this, [this] { contentChanged(); });
    connect(m, &QAbstractItemModel::modelReset, this, [this] { contentChanged(); });
    connect(m, &QAbstractItemModel::dataChanged, this, [this] { contentChanged(); });
    if (!property("heading").toString().isEmpty()) {
        strip_ = new HeadingStrip(this, [this] { return headingText(); });
        refreshHeading();
    }
}

QString ColumnList::headingText() const
{
    const QString name = property("heading").toString();
    const QLabel* l = name.isEmpty() ? nullptr : window()->findChild<QLabel*>(name);
    return l ? l->text() : QString();
}

void ColumnList::refreshHeading()
{
    if (!strip_) return;
    const bool show = !headingText().trimmed().isEmpty();
    setViewportMargins(0, show ? fontMetrics().height() + 6 : 0, 0, 0);
    const QRect v = viewport()->geometry();
    strip_->setGeometry(v.left(), frameWidth(), v.width(), v.top() - frameWidth());
    strip_->setVisible(show);
    strip_->update();
}

void ColumnList::resizeEvent(QResizeEvent* e)
{
    QListWidget::resizeEvent(e);
    if (strip_) refreshHeading();
}

void ColumnList::contentChanged()
{
    valid_ = false;
    viewport()->update();
    if (strip_) strip_->update();
}

const ColumnList::Layout& ColumnList::layout() const
{
    const int width = viewport()->width();
    if (valid_ && width == layoutWidth_) return layout_;
    const QFontMetrics fm(font());
    std::vector<int> widest, least;
    std::vector<char> mode;
    for (int r = 0; r < count(); ++r) {
        const std::vector<Segment> segs = Segments(Raw(model()->index(r, 0)));
        if (segs.size() > widest.size()) {
            widest.resize(segs.size(), 0);
            least.resize(segs.size(), 0);
            for (size_t k = mode.size(); k < segs.size(); ++k) mode.push_back(segs[k].mode);
        }
        for (size_t k = 0; k < segs.size(); ++k) {
            widest[k] = std::max(widest[k], fm.horizontalAdvance(segs[k].text));
            least[k] = std::max(least[k], segs[k].pos);
        }
    }
    const int gap = fm.horizontalAdvance(QStringLiteral("   "));
    double factor = scale_;
    Layout l;
    for (int pass = 0; pass < 4; ++pass) {
        l = Layout{};
        for (size_t k = 0; k < widest.size(); ++k) {
            int anchor = 3;
            if (k > 0) {
                const int room = l.right.back() + gap;
                const int need = StartOf(0, widest[k], mode[k]) < 0 ? room - StartOf(0, widest[k], mode[k]) : room;
                anchor = std::max(int(least[k] * factor + 0.5), need);
            }
            l.anchor.push_back(anchor);
            l.left.push_back(StartOf(anchor, widest[k], mode[k]));
            l.right.push_back(l.left.back() + widest[k]);
        }
        // Too wide for the list: the wanted places closer together.
        if (l.right.empty() || l.right.back() + 3 <= width || width <= 0) break;
        factor *= double(width - 3) / double(l.right.back());
    }
    layout_ = l;
    valid_ = true;
    layoutWidth_ = width;
    return layout_;
}

void RefreshListHeadings(QWidget* label)
{
    if (!label) return;
    for (ColumnList* l : label->window()->findChildren<ColumnList*>())
        if (l->property("heading").toString() == label->objectName()) l->refreshHeading();
}

}  // namespace ui
