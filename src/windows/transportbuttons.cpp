#include "transportbuttons.h"

#include "transport.h"

#include <QGridLayout>
#include <QPushButton>

namespace hoedeck {

TransportButtons::TransportButtons(Transport& transport,
                                   std::function<void(const std::function<void()>&)> guarded,
                                   QWidget* parent)
    : QWidget(parent) {
    setObjectName("TransportButtons");
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(3);
    const struct {
        const char* name;
        const char* caption;
        const char* hint;
        void (Transport::*command)();
    } buttons[] = {
        {"btnPatter", "Patter", "Play or stop the cued patter (Space)", &Transport::spacekey1Click},
        {"btnSinger", "Singer", "Play or stop the cued singer (Control-Space)",
         &Transport::ControlSpaceKeyClick},
        {"btnResume", "Stop/Resume", "Stop, or play on where it stopped (F2)",
         &Transport::playResume},
        {"btnFade", "Fade", "Fade everything out over five seconds (Control-F, Alt-F)",
         &Transport::fade},
    };
    int column = 0;
    for (const auto& b : buttons) {
        auto* button = new QPushButton(b.caption, this);
        button->setObjectName(b.name);
        button->setToolTip(b.hint);
        button->setFocusPolicy(Qt::NoFocus);
        const auto command = b.command;
        connect(button, &QPushButton::clicked, this,
                [&transport, guarded, command] { guarded([&] { (transport.*command)(); }); });
        grid->addWidget(button, column / 2, column % 2);
        ++column;
    }
}

} // namespace hoedeck
