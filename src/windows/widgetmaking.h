#pragma once

#include <QLabel>
#include <QProgressBar>

namespace hoedeck {

// Controls carry the names the program gives them, so tests and style rules find them.
inline QLabel* namedLabel(const QString& name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

// A slim bar without text: meters and progress.
inline QProgressBar* namedBar(const QString& name, int maximum, QWidget* parent) {
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(name);
    bar->setRange(0, maximum);
    bar->setValue(0);
    bar->setTextVisible(false);
    bar->setMaximumHeight(12);
    return bar;
}

} // namespace hoedeck
