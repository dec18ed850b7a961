#pragma once

#include <functional>

namespace hoedeck {

class AudioEngine;
class Player;

// The loop-mark and position commands of a patter: set a mark at the playing position, nudge
// it, reset it, test the seam, move the position, and play to the end. Every change of a mark
// moves the loop-end syncs and stores the song's memory.
class LoopMarks {
public:
    LoopMarks(AudioEngine& engine, Player& player);

    void bStart_Mark(); // loop start := playing position
    void bEnd_Mark();   // loop end := playing position, heard again from 3 s before
    void nudgeStart(double seconds);
    void nudgeEnd(double seconds);
    // "<<" -0.1/-0.1, "<" -0.05/-0.01, ">" +0.05/+0.01, ">>" +0.1/+0.1.
    void nudgeBoth(double startSeconds, double endSeconds);
    void Reset_Loop_Start();
    void bGoto_End();

    void forward15();
    void back15();
    void goBegin15();
    void goEnd15();
    void btnTest_Loop(); // 5 s before the loop end
    // The singer's source and both patter copies to the same time: the remote's reset.
    void moveAllTo(double seconds);
    void playToEndOn();
    void playToEndOff();
    void togglePlayToEnd();
    // The singer's position bar released at a whole second.
    void positionBarReleased(int seconds);

    // A key typed into a loop mark: digits and '.' only (a pasted ',' becomes '.').
    static bool acceptsKey(char c);

    std::function<void()> storeTrackMemory; // the song's memory follows every mark change

private:
    double copyPosition(int channel) const;
    void setCopyPosition(int channel, double seconds);
    int activeCopy() const;
    void preview();
    void store();
    void normaliseMarks();

    AudioEngine& m_engine;
    Player& m_player;
};

} // namespace hoedeck
