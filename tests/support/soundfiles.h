#pragma once

// Sound files written by the tests: WAV through libsndfile, MP3 through the real lame.

#include <QFile>
#include <QProcess>
#include <QString>
#include <sndfile.h>
#include <vector>

namespace hoedeck::testing {

// A sound file in libsndfile's `format` (WAV, FLAC, AIFF ...; 16-bit unless said otherwise).
inline bool writeSound(const QString& path, const std::vector<float>& samples, int rate,
                       int channels, int format) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = (format & SF_FORMAT_SUBMASK) ? format : format | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file)
        return false;
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    sf_writef_float(file, samples.data(), sf_count_t(samples.size() / size_t(channels)));
    sf_close(file);
    return true;
}

inline bool writeWav(const QString& path, const std::vector<float>& samples, int rate = 44100,
                     int channels = 2) {
    return writeSound(path, samples, rate, channels, SF_FORMAT_WAV);
}

// Made in this process, without starting a program: FLAC for tests of threads, which the
// thread sanitizer cannot follow across a started program.
inline bool writeFlac(const QString& path, const std::vector<float>& samples, int rate = 44100,
                      int channels = 2) {
    return writeSound(path, samples, rate, channels, SF_FORMAT_FLAC);
}

// Encodes a WAV file to MP3 with lame; false when lame is missing or fails.
inline bool encodeMp3(const QString& wav, const QString& mp3) {
    QProcess lame;
    lame.start("lame", {"--quiet", "--preset", "standard", wav, mp3});
    return lame.waitForFinished(60000) && lame.exitStatus() == QProcess::NormalExit &&
           lame.exitCode() == 0;
}

} // namespace hoedeck::testing
