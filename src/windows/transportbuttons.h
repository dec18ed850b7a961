#pragma once

#include <QWidget>
#include <functional>

namespace hoedeck {

class Transport;

// The transport a new caller can see: the cued patter, the cued singer, stop/resume and the
// fade as buttons that run the same commands as their keys (each tooltip names the key). The
// buttons never take the keyboard focus, so Space and the other keys keep their commands.
class TransportButtons : public QWidget {
    Q_OBJECT
public:
    // `guarded` runs a command the way the window runs its keys (a settings file that cannot
    // be written ends it with its message).
    TransportButtons(Transport& transport,
                     std::function<void(const std::function<void()>&)> guarded,
                     QWidget* parent = nullptr);
};

} // namespace hoedeck
