#include "wavwriter.h"

#include <QFile>
#include <sndfile.h>

namespace hoedeck {

WavWriter::~WavWriter() {
    close();
}

bool WavWriter::open(const QString& path, int sampleRate, int channels) {
    close();
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    m_file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!m_file)
        return false;
    // Full-scale float maps to full-scale 16-bit; louder is clipped, not wrapped.
    sf_command(m_file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    m_sampleRate = sampleRate;
    return true;
}

void WavWriter::write(const float* frames, std::size_t count) {
    if (!m_file)
        return;
    sf_writef_float(m_file, frames, sf_count_t(count));
    m_sinceHeader += count;
    if (m_sinceHeader >= std::size_t(m_sampleRate)) {
        sf_command(m_file, SFC_UPDATE_HEADER_NOW, nullptr, 0);
        m_sinceHeader = 0;
    }
}

void WavWriter::close() {
    if (m_file) {
        sf_close(m_file);
        m_file = nullptr;
    }
}

} // namespace hoedeck
