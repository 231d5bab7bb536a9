#include "text/text_exchange.h"

#include "core/messages.h"
#include "core/numbers.h"
#include "core/utilities.h"
#include "text/tag_attributes.h"
#include "text/text_holder.h"
#include "text/translator.h"

namespace kinemo {

std::string exportTexts(std::span<const TextExchangeEntry> entries) {
    std::string out = "<KMXML>";
    for (const TextExchangeEntry& entry : entries) {
        if (entry.holder) entry.holder->writeExportBlock(out, entry.id);
        out += '\n';
    }
    out += "</KMXML>";
    return out;
}

bool exportTextsToFile(const std::string& path, std::span<const TextExchangeEntry> entries) {
    if (!writeWholeFile(path, exportTexts(entries))) {
        reportMessage(formatC("Could not open for write file: %s", path.c_str()), 3, true);
        return false;
    }
    return true;
}

void importTexts(std::string_view content, const TextHolderLookup& lookup) {
    constexpr std::string_view kOpen = "<kmxTEXT";
    constexpr std::string_view kClose = "</kmxTEXT>";
    std::size_t from = 0;
    while (true) {
        const std::size_t start = content.find(kOpen, from);
        if (start == std::string_view::npos) break;
        const std::size_t end = content.find(kClose, start + kOpen.size());
        const std::string_view block = content.substr(start, end == std::string_view::npos ? end : end - start);
        const std::string_view tag = block.substr(0, block.find('>'));
        const int id = readIntAttributeIn(tag, "id", -1);
        TextHolder* holder = lookup ? lookup(id) : nullptr;
        if (holder) {
            holder->readExportBlock(block);
        } else {
            TextHolder scratch;
            scratch.readExportBlock(block);
            const std::string text = scratch.texts().empty() ? std::string() : scratch.texts().front()->text();
            reportMessage(formatC("The textobject for translation does no longer exist (id %i was not found, text: %s)",
                                  id, text.c_str()),
                          3, true);
        }
        if (end == std::string_view::npos) break;
        from = end + kClose.size();
    }
    const std::string current = Translator::currentLanguage();
    Translator::changeLanguage(current, current, true);
}

bool importTextsFromFile(const std::string& path, const TextHolderLookup& lookup) {
    std::string content;
    if (readFileText(path, content) != ReadResult::Ok) {
        reportMessage(formatC("Could not open for read file: %s", path.c_str()), 3, true);
        return false;
    }
    importTexts(content, lookup);
    return true;
}

}  // namespace kinemo
