#include "serialremote.h"

#include "loopmarks.h"
#include "numbertext.h"
#include "player.h"
#include "prompter.h"
#include "textstore.h"
#include "transport.h"

#include <QFileInfo>
#include <QTimer>

namespace hoedeck {

const QStringList SerialRemote::kTypeCaptions{"classic hilton reset", "toggle start/stop ",
                                              "toggle stop/resume", "toggle flash calls"};
const QStringList SerialRemote::kDefaultDevices{
    "/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyS0",   "/dev/ttyS1", "/dev/ttyUSB2",
    "/dev/ttyUSB3", "/dev/ttyACM0", "/dev/ttyACM1", "/dev/ttyS2", "/dev/ttyS3"};

namespace {
// A line names a device when it is an absolute path on one line.
bool isDevicePath(const QString& line) {
    if (!line.startsWith('/'))
        return false;
    return std::none_of(line.begin(), line.end(),
                        [](QChar c) { return c.category() == QChar::Other_Control; });
}
} // namespace

SerialRemote::SerialRemote(DataFolder folder, Player& player, Transport& transport,
                           LoopMarks& loopMarks, Prompter& prompter, QObject* parent)
    : QObject(parent), m_folder(std::move(folder)), m_player(player), m_transport(transport),
      m_loopMarks(loopMarks), m_prompter(prompter) {
    connect(&m_serial, &QSerialPort::readyRead, this, &SerialRemote::received);
    connect(&m_serial, &QSerialPort::errorOccurred, this, &SerialRemote::failed);
}

SerialRemote::~SerialRemote() {
    closePort();
}

void SerialRemote::load_ports() {
    const QString path = m_folder.ini(kPortsFile);
    m_devices.fill(QString());
    textstore::ensureFile(path, kDefaultDevices);
    const QStringList lines = textstore::readSettings(path);
    QStringList damaged;
    for (int i = 0; i < kPorts && i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (isDevicePath(line))
            m_devices[size_t(i)] = line;
        else if (!line.isEmpty()) // an empty line leaves its port out on purpose
            damaged << QStringLiteral("line %1 \"%2\"").arg(i + 1).arg(textstore::excerpt(line));
    }
    if (!damaged.isEmpty())
        m_prompter.message(QStringLiteral("%1 names no device (a path like /dev/ttyUSB0): %2. "
                                          "Those ports are left out of the Remote menu.")
                               .arg(kPortsFile, damaged.join(", ")),
                           "Hoedeck", Prompter::Icon::Warning);
}

void SerialRemote::probe() {
    for (int i = 0; i < kPorts; ++i) {
        const QString& device = m_devices[size_t(i)];
        if (device.isEmpty()) {
            m_usable[size_t(i)] = false;
        } else if (m_serial.isOpen() && m_serial.portName() == device) {
            m_usable[size_t(i)] = true; // ours already
        } else {
            QSerialPort test(device);
            m_usable[size_t(i)] = test.open(QIODevice::WriteOnly);
            test.close();
        }
    }
}

bool SerialRemote::openPort(QString* why) {
    closePort();
    const QString device = m_devices[index(m_port)];
    if (device.isEmpty()) {
        *why = QStringLiteral("port %1 names no device in %2").arg(m_port).arg(kPortsFile);
        return false;
    }
    m_serial.setPortName(device);
    m_serial.setBaudRate(QSerialPort::Baud9600);
    m_serial.setDataBits(QSerialPort::Data8);
    m_serial.setParity(QSerialPort::NoParity);
    m_serial.setStopBits(QSerialPort::OneStop);
    m_serial.setFlowControl(QSerialPort::NoFlowControl);
    m_serial.setReadBufferSize(1024);
    if (!m_serial.open(QIODevice::ReadWrite)) {
        *why = QStringLiteral("%1: %2").arg(device, m_serial.errorString());
        m_serial.clearError();
        return false;
    }
    // The cord feeds the button from DTR. A pseudo terminal (a remote simulated in software)
    // has no modem lines and refuses both: that is no failure of the port.
    m_serial.setDataTerminalReady(true);
    m_serial.setRequestToSend(false);
    m_serial.clearError();
    m_failing = false;
    m_countdown = 0;
    return true;
}

void SerialRemote::closePort() {
    if (m_serial.isOpen())
        m_serial.close();
    m_serial.clearError();
}

void SerialRemote::choosePort(int port) {
    m_port = qBound(1, port, kPorts);
    switchOn("Wrong port number dude!");
}

void SerialRemote::turnOn() {
    switchOn("Wrong port number dude");
}

void SerialRemote::switchOn(const QString& refusal) {
    QString why;
    m_on = openPort(&why);
    if (!m_on)
        m_prompter.message(refusal + "\n\n" + why);
}

void SerialRemote::turnOff() {
    m_on = false;
    closePort();
}

void SerialRemote::chooseType(Type type) {
    m_type = type;
    turnOn();
}

void SerialRemote::keepAlive() {
    if (!m_on)
        return;
    m_countdown -= 500;
    if (m_countdown >= 100)
        return;
    m_countdown = 0;
    if (!m_serial.isOpen())
        return;
    // What the last ticks could not send is dropped, not queued behind: nothing piles up
    // while nobody reads the other end.
    m_serial.clear(QSerialPort::Output);
    m_serial.write("H", 1);
}

void SerialRemote::received() {
    const QByteArray text = m_serial.readAll();
    m_serial.clear(QSerialPort::Input);
    // One "H" is a press. "H"s that arrived together (the window was busy for a few ticks)
    // are the same press; anything else is noise on the line.
    if (text.isEmpty() || text.count('H') != text.size())
        return;
    act();
}

void SerialRemote::act() {
    const bool flash = m_type == Type::ToggleFlashCalls;
    if (!flash && isSinger())
        return;
    m_countdown = kPressPause;
    switch (m_type) {
    case Type::ToggleStartStop:
        guard([this] { m_transport.playStop(); });
        break;
    case Type::ToggleStopResume:
        guard([this] { m_transport.playResume(); });
        break;
    case Type::ToggleFlashCalls:
        if (flashCall)
            guard(flashCall);
        break;
    case Type::ClassicHiltonReset:
        guard([this] { classicReset(); });
        break;
    }
    emit pressed();
}

bool SerialRemote::isSinger() const {
    // With no song yet and no singer cued both read "none": that is no singer playing.
    return m_player.currentSongPath != Player::kNone &&
           m_player.lbCuedSinger == QFileInfo(m_player.currentSongPath).fileName();
}

void SerialRemote::classicReset() {
    if (!numbertext::parse(m_player.eLoop_Start))
        m_player.eLoop_Start = Player::kDefaultLoopStart;
    m_player.publishLoopStart();
    const double start = m_player.loopStart();
    if (start == 1.0) {
        m_loopMarks.goBegin15();
        return;
    }
    m_loopMarks.moveAllTo(start);
}

void SerialRemote::failed(QSerialPort::SerialPortError error) {
    // Only a failing line counts; a refused modem-line setting or a timeout does not.
    if (error != QSerialPort::ReadError && error != QSerialPort::WriteError &&
        error != QSerialPort::ResourceError)
        return;
    if (m_failing || !m_serial.isOpen())
        return;
    m_failing = true;
    const QString why = m_serial.errorString();
    // Closed after this signal has returned: the port is still inside its own notification.
    QTimer::singleShot(0, this, [this, why] {
        closePort();
        m_on = false;
        emit changed();
        m_prompter.message(QStringLiteral("The remote's port %1 (%2) stopped working: %3. The "
                                          "remote is off; choose the port again in the Remote "
                                          "menu once it is back.")
                               .arg(m_port)
                               .arg(m_devices[index(m_port)], why),
                           "Hoedeck", Prompter::Icon::Warning);
    });
}

} // namespace hoedeck
