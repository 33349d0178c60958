// List boxes whose lines carry column escapes: ESC "p" <pixels> then "c"
// (centred at that position), "l" (left-aligned from it) or "r" (right-aligned
// to it).
//
// Dynamic properties of a list in the panel resource:
// - `column_scale`: factor for the escapes' positions (lists laid out for a
//   narrower font);
// - `aligned_columns`: the lines share their columns; column k of every line
//   sits at one place, as far right as the widest entry of column k-1 needs
//   (the escapes' positions are the least places), and the columns are drawn
//   closer together when they would not fit the width;
// - `heading`: the name of a text message whose text heads the list in a strip
//   above the lines: its first word over the first column, the others centred
//   over equal groups of the remaining columns ("Phase 1 2 3" over three
//   phases of one or more columns each). An empty text shows no strip.
#pragma once

#include <QListWidget>
#include <QString>
#include <vector>

namespace ui {

class ColumnList : public QListWidget {
public:
    explicit ColumnList(QWidget* parent = nullptr);
    // Installs the column painting; call once the resource's properties are set.
    void setUp();
    // Shows, hides or repaints the heading strip after its text changed.
    void refreshHeading();

    struct Layout {
        std::vector<int> left, right, anchor;   // per column, in item coordinates
    };
    // The shared columns of an aligned list for its current lines and width.
    const Layout& layout() const;
    double scale() const { return scale_; }
    bool aligned() const { return aligned_; }

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void contentChanged();
    QString headingText() const;
    double scale_ = 1.0;
    bool aligned_ = false;
    QWidget* strip_ = nullptr;
    mutable Layout layout_;
    mutable bool valid_ = false;
    mutable int layoutWidth_ = -1;
};

// Repaints the heading strips of the lists that the text message `label` heads.
void RefreshListHeadings(QWidget* label);

}  // namespace ui
