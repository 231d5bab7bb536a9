#pragma once
// Turning a recorded image sequence into a video with the outside command the user configured
// (MovieConverterCommand). The command is split into arguments first and the placeholders are
// replaced inside each argument, so that names with blanks stay one argument; no shell is used.
//
// Placeholders:
//   FIRSTIMAGE    the second image of the sequence, "<name>000002.bmp"
//   VIDEOFILE     the sequence name
//   IMAGEPATTERN  the sequence as an ffmpeg input pattern, "<name>%06d.bmp"; like FIRSTIMAGE it
//                 is meant to start at the second image: give ffmpeg "-start_number 2" before it.
// A part of the command in double quotes is one argument (for a program path with blanks).
// Example: ffmpeg -y -framerate 25 -start_number 2 -i IMAGEPATTERN -pix_fmt yuv420p VIDEOFILE.mp4
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kinemo {

// "<name><six digits>.bmp" for frame number frame (1 gives "000001").
std::string sequenceFileName(std::string_view sequenceName, int frame);

// The argument vector of the movie command for a sequence; empty when the command is blank.
std::vector<std::string> movieCommandArguments(std::string_view command, std::string_view sequenceName);

// Runs a command's argument vector under a title and returns its exit status (0: success).
using CommandRunner = std::function<int(const std::vector<std::string>& arguments, std::string_view title)>;

// Runs the conversion (through run, or the program's command runner when run is empty); after
// exit status 0 deletes exactly the files in written, otherwise keeps them and reports where they
// are. Returns true when the video was made.
bool convertImageSequence(std::string_view command, std::string_view sequenceName,
                          const std::vector<std::string>& written, const CommandRunner& run);

}  // namespace kinemo
