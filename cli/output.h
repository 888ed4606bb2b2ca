// Output files of the command: the format by extension, size limits, and
// writing through a temporary name so a failure leaves nothing behind.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "platform/recording.h"

namespace zorvik::cli {

enum class OutputKind { Png, Svg, Pdf, PostScript, Eps };

// The format the file name's extension asks for; false when it names none.
bool outputKindOf(const std::string& Path, OutputKind& Kind);

// "" when a Width x Height symbol fits the format, else the message that
// refuses it ("Symbol too large: ..." or that it has no area).
// DotsPerInch: the device's resolution when given, else 96 x Scale.
std::string sizeProblem(OutputKind Kind, long long Width, long long Height, int Scale, int DotsPerInch = 0);

// Calls Write with a file that has no name yet in Path's folder and names it
// Path when Write succeeds (where unnamed files are not supported, a temporary
// name beside Path renamed to it); otherwise Path is left untouched.
// Path "-" is standard output, written directly.
bool writeAtomically(const std::string& Path, const std::function<bool(std::FILE*, std::string&)>& Write,
                     std::string& Error);

// Removes the hidden temporaries of writeAtomically when SIGINT, SIGTERM,
// SIGHUP or SIGQUIT ends the run, and makes a file-size limit an ordinary
// write error; called once, first thing.
void removeTemporariesOnSignals();

// Plays a recorded render of Width x Height device pixels at Scale into File.
// Background is the colour a PNG keeps under the alpha of unpainted pixels.
bool writeRecording(const RecordingCanvas& Recording, int Width, int Height, int Scale, OutputKind Kind,
                    TColor Background, std::FILE* File, std::string& Error, int DotsPerInch = 0);

}  // namespace zorvik::cli
