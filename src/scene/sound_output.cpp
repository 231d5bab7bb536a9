#include "scene/sound_output.h"

namespace kinemo {
namespace {

std::unique_ptr<SoundOutput>& installed() {
    static std::unique_ptr<SoundOutput> output;
    return output;
}

}  // namespace

SoundOutput& soundOutput() {
    static NullSoundOutput silent;
    return installed() ? *installed() : silent;
}

void setSoundOutput(std::unique_ptr<SoundOutput> output) { installed() = std::move(output); }

int WaveTable::findOrLoad(const std::string& fileName, bool loop) {
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].fileName == fileName && entries_[i].loop == loop) return int(i);
    const int index = int(entries_.size());
    Entry e;
    e.fileName = fileName;
    e.loop = loop;
    e.loaded = soundOutput().load(index, fileName, loop);
    entries_.push_back(std::move(e));
    return index;
}

const WaveTable::Entry* WaveTable::entry(int index) const {
    return index >= 0 && std::size_t(index) < entries_.size() ? &entries_[std::size_t(index)] : nullptr;
}

void WaveTable::setPlayPosition(int index, int position) {
    if (index < 0 || std::size_t(index) >= entries_.size()) return;
    entries_[std::size_t(index)].playPosition = position;
    soundOutput().setPlayPosition(index, position);
}

void WaveTable::beginFrame() { left_ = right_ = 0.0f; }

void WaveTable::addVolume(float left, float right) {
    left_ += left;
    right_ += right;
}

void WaveTable::endFrame() { soundOutput().setVolumes(left_, right_); }

void WaveTable::clear() {
    for (std::size_t i = 0; i < entries_.size(); ++i) soundOutput().release(int(i));
    entries_.clear();
}

WaveTable& waveTable() {
    static WaveTable table;
    return table;
}

}  // namespace kinemo
