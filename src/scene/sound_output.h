#pragma once
// Where sound goes. The platform installs its wave output; until then, and in tests and tools,
// the null output takes every request and plays nothing. The wave table shares one loaded wave
// between the sound nodes that name the same file with the same loop flag.
#include <memory>
#include <string>
#include <vector>

namespace kinemo {

class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    // Loads a wave file for an entry; false when it cannot be played (the entry stays silent).
    virtual bool load(int entry, const std::string& fileName, bool loop) = 0;
    virtual void setPlayPosition(int entry, int position) = 0;
    // The frame's summed volumes of the left and right channel.
    virtual void setVolumes(float left, float right) = 0;
    virtual void release(int entry) = 0;
};

class NullSoundOutput : public SoundOutput {
public:
    bool load(int, const std::string&, bool) override { return true; }
    void setPlayPosition(int, int) override {}
    void setVolumes(float, float) override {}
    void release(int) override {}
};

// The output in use; the null output while none is installed. Installing none restores it.
SoundOutput& soundOutput();
void setSoundOutput(std::unique_ptr<SoundOutput> output);

class WaveTable {
public:
    struct Entry {
        std::string fileName;
        bool loop = false;
        int playPosition = 0;
        bool loaded = false;
    };

    // The entry of (fileName, loop), loaded through the sound output when it is new.
    int findOrLoad(const std::string& fileName, bool loop);
    const Entry* entry(int index) const;
    std::size_t size() const { return entries_.size(); }
    void setPlayPosition(int index, int position);

    // Per frame: the volumes are reset, every audible sound adds its share, and the sums go out.
    void beginFrame();
    void addVolume(float left, float right);
    void endFrame();
    float leftVolume() const { return left_; }
    float rightVolume() const { return right_; }

    void clear();

private:
    std::vector<Entry> entries_;
    float left_ = 0.0f;
    float right_ = 0.0f;
};

WaveTable& waveTable();

}  // namespace kinemo
