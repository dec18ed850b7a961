#pragma once

#include <QFrame>
#include <QList>

class QLabel;

namespace hoedeck {

// The strip along the bottom: a singing call's structure (intro, opener, figures, middle
// break, closer, tag), or a patter's loop with red markers for the parts outside the loop.
class ProgressStrip : public QFrame {
    Q_OBJECT
public:
    explicit ProgressStrip(QWidget* parent = nullptr);

    // Captions for a singer, no markers.
    void showSinger();
    // No captions; markers of the given widths at both ends.
    void showPatter(int beginLoopWidth, int patterProgressWidth);
    bool isPatter() const { return m_patter; }
    QLabel* begin_loop() const { return m_beginLoop; }
    QLabel* patter_progress() const { return m_patterProgress; }
    const QList<QLabel*>& sequencePanels() const { return m_panels; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layOut();

    QList<QLabel*> m_panels;
    QLabel* m_beginLoop;
    QLabel* m_patterProgress;
    bool m_patter = false;
    int m_beginWidth = 0;
    int m_endWidth = 0;
};

} // namespace hoedeck
