#pragma once

// The caller's voice for the recorder's tests: a steady tone in a WAV file that the null input
// plays as its microphone (HOEDECK_CAPTURE_WAV), and the encoder program, without which these
// tests have nothing to test.

#include "encoder.h"
#include "soundfiles.h"
#include "testsignals.h"

#include <QTemporaryDir>
#include <QtGlobal>
#include <gtest/gtest.h>

namespace hoedeck::testing {

// 441 Hz repeats every 100 frames: the file loops without a seam.
constexpr double kVoiceHz = 441.0;

struct Voice {
    QTemporaryDir dir;
    explicit Voice(float amplitude = 0.5f) {
        writeWav(dir.filePath("voice.wav"), sine(kVoiceHz, 2.0, 44100, amplitude));
        qputenv("HOEDECK_CAPTURE_WAV", dir.filePath("voice.wav").toUtf8());
    }
    ~Voice() { qunsetenv("HOEDECK_CAPTURE_WAV"); }
    QString path(const QString& name) const { return dir.filePath(name); }
};

// PATH without the encoder for one test.
struct WithoutEncoder {
    QTemporaryDir empty;
    QByteArray path = qgetenv("PATH");
    WithoutEncoder() { qputenv("PATH", empty.path().toUtf8()); }
    ~WithoutEncoder() { qputenv("PATH", path); }
};

} // namespace hoedeck::testing

#define SKIP_WITHOUT_LAME()                                                                        \
    if (::hoedeck::Mp3Encoder::program().isEmpty())                                                \
    GTEST_SKIP() << "lame is not installed"
