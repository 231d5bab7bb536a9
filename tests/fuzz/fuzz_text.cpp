// Text blocks (both forms), language definitions and the translators' exchange file, as a scene
// file or a translator brings them. The first byte picks the reader. Each reader's result is
// written, read and written again: after one read the writing must be stable.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>

#include "core/clock.h"
#include "core/messages.h"
#include "text/text_exchange.h"
#include "text/text_form.h"
#include "text/text_holder.h"
#include "text/text_images.h"
#include "text/translator.h"

namespace {

// Reports pause briefly; the fuzzer must not.
class StillClock : public kinemo::Clock {
public:
    TimePoint now() override { return TimePoint(std::chrono::hours(1)); }
    void sleepFor(Duration) override {}
};

void check(bool condition) {
    if (!condition) __builtin_trap();
}

void fuzzTextBlock(std::string_view text, bool tagForm) {
    kinemo::setTextTagForm(tagForm);
    kinemo::TextHolder holder;
    int id = -1;
    const std::size_t end = holder.readTextBlock(text, id);
    check(end <= text.size());
    std::map<std::string, int> languages;
    for (const auto& translated : holder.texts()) check(++languages[translated->getLanguage()] == 1);

    std::string first;
    holder.writeTextBlock(first, id, "TEXT");
    std::string second;
    std::string third;
    for (std::string* out : {&second, &third}) {
        const std::string& previous = out == &second ? first : second;
        const std::string_view body =
            tagForm ? std::string_view(previous) : std::string_view(previous).substr(previous.find("TEXT]") + 5);
        kinemo::TextHolder again;
        int againId = -1;
        check(again.readTextBlock(body, againId) == body.size());
        again.writeTextBlock(*out, againId, "TEXT");
    }
    check(second == third);
}

void fuzzDefinitions(std::string_view text) {
    kinemo::Translator::readLanguageDefinitions(text);
    // Whatever the file says, the four languages stay, each with its own word table.
    check(kinemo::Translator::languageCount() == 4);
    check(kinemo::Translator::translateTo("Table of contents", "Deutsch") == "Inhalt");
    check(kinemo::Translator::translateTo("Invert:", "Italiano") == "Invertire:");
    check(kinemo::Translator::languageIndex("English") >= 0 && kinemo::Translator::languageIndex("Francais") >= 0);
    std::string written;
    kinemo::Translator::writeLanguageDefinitions(written);
    const auto order = kinemo::Translator::languageNames();
    kinemo::Translator::resetToStartupState();
    kinemo::Translator::readLanguageDefinitions(written);
    check(kinemo::Translator::languageNames() == order);
}

void fuzzExchange(std::string_view text, std::uint8_t mode) {
    if (mode & 0x10) kinemo::Translator::setCurrentLanguage("Italiano");
    std::map<int, kinemo::TextHolder> holders;
    holders[0].addTranslation("null", "Deutsch");
    holders[1];
    holders[2].addTranslation("two", "English");
    const kinemo::TextHolderLookup lookup = [&](int id) -> kinemo::TextHolder* {
        auto it = holders.find(id);
        return it == holders.end() ? nullptr : &it->second;
    };
    std::vector<kinemo::TextExchangeEntry> entries;
    entries.reserve(holders.size());
    for (auto& [id, holder] : holders) entries.push_back({id, &holder});
    kinemo::importTexts(text, lookup);
    const std::string first = kinemo::exportTexts(entries);
    kinemo::importTexts(first, lookup);
    check(kinemo::exportTexts(entries) == first);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static StillClock clock;
    kinemo::setMessageClock(&clock);
    // Log lines go to standard output until a log is opened; the fuzzer's own report is on stderr.
    if (!std::freopen("/dev/null", "w", stdout)) return 0;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t mode = data[0];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    kinemo::Translator::resetToStartupState();
    kinemo::builtInTextImageStore().clear();
    switch (mode % 4) {
        case 0:
            fuzzTextBlock(text, true);
            break;
        case 1:
            fuzzTextBlock(text, false);
            break;
        case 2:
            fuzzDefinitions(text);
            break;
        default:
            fuzzExchange(text, mode);
            break;
    }
    return 0;
}
