// Whatever another process sends to the steering socket: each datagram is checked as one record,
// and the records that pass are carried out against a main window without document or renderer.
#include <cstddef>
#include <cstdint>

#include "core/headless_platform.h"
#include "core/main_frame_logic.h"
#include "core/platform.h"
#include "core/steering.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static kinemo::HeadlessPlatform* headless = [] {
        auto* p = new kinemo::HeadlessPlatform;
        p->setRecording(false);
        kinemo::setPlatform(p);
        return p;
    }();
    kinemo::AppServices services;
    kinemo::MainFrameLogic logic(services, headless);
    // The input is a sequence of datagrams, each preceded by its length byte.
    std::size_t pos = 0;
    while (pos < size) {
        const std::size_t length = data[pos++];
        const std::size_t take = length < size - pos ? length : size - pos;
        if (auto record = kinemo::decodeSteeringRecord(data + pos, take))
            logic.handleSteering(record->code, record->argument);
        pos += take;
    }
    return 0;
}
