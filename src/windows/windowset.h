#pragma once

#include "audioengine.h"
#include "datafolder.h"
#include "dialogprompter.h"

#include <QList>
#include <QWidget>
#include <memory>

namespace hoedeck {

class MainWindow;
class LyricsWindow;
class HelpWindow;
class ReaderWindow;
class MultiLevelWindow;
class CssWindow;

// Every window of the program, created once in a fixed order and kept until the end. Only the
// main window shows at start.
class WindowSet {
public:
    explicit WindowSet(const DataFolder& folder,
                       AudioEngine::Output output = AudioEngine::outputFromEnvironment());
    ~WindowSet();

    MainWindow* main() const { return m_main.get(); }
    LyricsWindow* lyrics() const { return m_lyrics; }
    HelpWindow* help() const { return m_help; }
    ReaderWindow* reader() const { return m_reader; }
    MultiLevelWindow* levels() const { return m_levels; }
    CssWindow* css() const { return m_css; }
    AudioEngine& engine() { return m_engine; }
    // In creation order, the main window first.
    QList<QWidget*> all() const;

private:
    DialogPrompter m_prompter;
    AudioEngine m_engine;
    std::unique_ptr<MainWindow> m_main;
    LyricsWindow* m_lyrics = nullptr;
    HelpWindow* m_help = nullptr;
    ReaderWindow* m_reader = nullptr;
    MultiLevelWindow* m_levels = nullptr;
    CssWindow* m_css = nullptr;
    QList<QWidget*> m_secondary; // owned, deleted in reverse order
};

} // namespace hoedeck
