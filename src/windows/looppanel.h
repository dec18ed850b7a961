#pragma once

#include <QFrame>

class QLineEdit;

namespace hoedeck {

class LoopMarks;
class Player;

// The loop panel: the loop start and end with their mark, nudge and reset buttons, the "Change
// Both" nudges and the position buttons. Shown and hidden with Control-L.
class LoopPanel : public QFrame {
    Q_OBJECT
public:
    LoopPanel(LoopMarks& marks, Player& player, QWidget* parent);

    // Shows what the player holds; a typed start is handed on at once.
    void refresh();
    // Hides the panel, or shows it laid over `area` (as wide, as high as it needs, never
    // reaching below `bottom`).
    void toggleOver(const QRect& area, int bottom);
    QLineEdit* eLoop_Start() const { return m_start; }
    QLineEdit* eLoop_End() const { return m_end; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    LoopMarks& m_marks;
    Player& m_player;
    QLineEdit* m_start;
    QLineEdit* m_end;
};

} // namespace hoedeck
