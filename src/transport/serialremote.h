#pragma once

#include "datafolder.h"

#include <QObject>
#include <QSerialPort>
#include <QStringList>
#include <array>
#include <functional>

namespace hoedeck {

class LoopMarks;
class Player;
class Prompter;
class Transport;

// The hand remote: the reset button of a microphone assembly wired to a serial port. The
// button shorts the port's receive line to its transmit line, so the program keeps sending
// "H" every 33 ms, and an "H" coming back means the button is down. A press acts
// once; the "H"s then pause for 40 ticks, so a button held down acts again only after that.
//
// Ports 1 to 10 are the devices listed in ini/serial_ports.txt. The port is opened, read and
// written on the window thread. A port that fails once open (the adapter pulled out) is
// closed at its first error and said once; choosing it again opens it again.
class SerialRemote : public QObject {
    Q_OBJECT
public:
    enum class Type { ClassicHiltonReset, ToggleStartStop, ToggleStopResume, ToggleFlashCalls };
    // The menu's captions, in the order of Type.
    static const QStringList kTypeCaptions;
    static constexpr int kPorts = 10;
    static inline const QString kPortsFile = QStringLiteral("serial_ports.txt");
    static const QStringList kDefaultDevices;
    // After a press the "H"s pause this long: 20000 / 500 = 40 ticks, about 1.3 s.
    static constexpr int kPressPause = 20000;

    SerialRemote(DataFolder folder, Player& player, Transport& transport, LoopMarks& loopMarks,
                 Prompter& prompter, QObject* parent = nullptr);
    ~SerialRemote() override;

    // Start-up: the port map (made with its defaults when missing; a damaged line is said and
    // its port left out), then which ports open for writing now.
    void load_ports();
    void probe();
    bool usable(int port) const { return m_usable[index(port)]; }
    QString device(int port) const { return m_devices[index(port)]; }

    // The "Remote" menu. Nothing of it is saved: every start is off, port 1, start/stop.
    bool isOn() const { return m_on; }
    int port() const { return m_port; }
    Type type() const { return m_type; }
    bool isOpen() const { return m_serial.isOpen(); }
    int countdown() const { return m_countdown; }
    void choosePort(int port);
    void turnOn();
    void turnOff();
    void chooseType(Type type);

    // Every tick (33 ms) while on: "H" out, unless a press is being waited out.
    void keepAlive();

    // What the flash-calls type does with a press (the lyrics window's random call).
    std::function<void()> flashCall;
    // Runs a press's action; the window reports a settings file the action cannot write.
    std::function<void(const std::function<void()>&)> guard = [](const auto& f) { f(); };

signals:
    // The menu's state changed on its own (a port that failed or could not be opened).
    void changed();
    // A press was acted on.
    void pressed();

private:
    static int index(int port) { return qBound(1, port, kPorts) - 1; }
    // Opens the chosen port; when it cannot be opened the remote stays off and says so.
    void switchOn(const QString& refusal);
    bool openPort(QString* why);
    void closePort();
    void received();
    void failed(QSerialPort::SerialPortError error);
    void act();
    // The cued singer is the song played now: the remote leaves it alone.
    bool isSinger() const;
    void classicReset();

    DataFolder m_folder;
    Player& m_player;
    Transport& m_transport;
    LoopMarks& m_loopMarks;
    Prompter& m_prompter;
    QSerialPort m_serial;
    std::array<QString, kPorts> m_devices;
    std::array<bool, kPorts> m_usable{};
    bool m_on = false;
    int m_port = 1;
    Type m_type = Type::ToggleStartStop;
    int m_countdown = 0;
    bool m_failing = false;
};

} // namespace hoedeck
