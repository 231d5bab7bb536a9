#pragma once
// The texts of text steps and chapters carry an inline markup of kmx tags (fonts, paragraphs,
// pictures, characters in circles and squares). The player's text panel shows them as HTML;
// this turns the one into the other. Both stay Windows-1252 bytes.
#include <string>
#include <string_view>

namespace kinemo {

// HTML for the text panel. Font tags become styled spans (effects, size in points from twips,
// raised or lowered text, face, colour from 0x00BBGGRR, the "secure" format bold and red),
// paragraph tags aligned paragraphs or bullet items, pictures images found relative to
// baseDirectory (both separators accepted), circled numbers 1 to 20 their enclosed digits and
// other enclosed characters bracketed. Other tags are dropped; a "<" without ">" is kept as text,
// like the rest after it. Line breaks become <br>.
std::string markupToHtml(std::string_view markup, std::string_view baseDirectory = {});

}  // namespace kinemo
