#pragma once

#include "colortext.h"
#include "datafolder.h"
#include "fonttext.h"

#include <QRect>
#include <QStringList>

namespace hoedeck {

class Prompter;

// Where the main window's panels go: a top row of four columns over a bottom row of three,
// and the singing-call progress strip along the bottom edge.
struct PanelGrid {
    static constexpr int kProgressStripHeight = 31;

    QRect pLeftSide; // current song, cued songs, current favourites list
    QRect Panel5;    // effects
    QRect pRight;    // music folders
    QRect Panel7;    // clock, timer, counter, file information
    QRect Panel10;   // favourite patter
    QRect Panel11;   // favourite singers
    QRect Panel12;   // music files
    QRect progressStrip;
};

// W and H are the main window's client size, split the percentage of H given to the top row.
PanelGrid layOutPanels(int width, int height, int split);

// The caller's window colours and the row split, kept in ini/color.txt and ini/splitter.txt.
class Appearance {
public:
    static constexpr int kDefaultSplit = 57;
    static constexpr int kMinSplit = 1;
    static constexpr int kMaxSplit = 100;
    static QStringList defaultColorLines();

    Appearance(DataFolder folder, Prompter& prompter);

    // Reads the split at start-up, creating the file with the default when it is missing.
    void get_splitter();
    // Writes the split at shut-down.
    void note_splitter();
    // Reads the colours, creating the file with the defaults when it is missing. A line that
    // cannot be read keeps its default and is reported; the file is left as it is.
    void ColorMe();

    int split() const { return m_split; }
    // Moves the split by delta within 1..100; true when it changed.
    bool moveSplit(int delta);
    void setSplit(int split);

    ColorValue background() const { return m_background; }
    ColorValue textColor() const { return m_textColor; }
    const FontSpec& font() const { return m_font; }

    // The "Color" menu: each writes its line of color.txt when that file exists.
    void setBackground(ColorValue color);
    void setTextColor(ColorValue color);
    void setFont(const FontSpec& font);
    // Deletes color.txt and loads the defaults again.
    void restoreDefaults();

private:
    void writeColorLine(int index, const QString& text);

    DataFolder m_folder;
    Prompter& m_prompter;
    int m_split = kDefaultSplit;
    ColorValue m_background = color::clTeal;
    ColorValue m_textColor = color::cl3DLight;
    FontSpec m_font;
};

} // namespace hoedeck
