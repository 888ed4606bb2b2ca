// --verify: every symbol is read back by an independent reader before its
// file is written, and must give its data.
#pragma once

#include <string>

#include "control/zorvik.h"
#include "platform/recording.h"

namespace zorvik::cli {

// Failed: the reader could not be loaded (Message says why).
enum class VerifyResult { Read, Wrong, NotReadable, Failed };

// Reads the symbol the control drew into Recording (Width x Height device
// pixels) and compares it with the control's data and check characters, as
// the reader reports them. Wrong and NotReadable come with what to say.
VerifyResult verifySymbol(const TZorvik& Control, const RecordingCanvas& Recording, int Width, int Height,
                          std::string& Message);

// The text the reader should give for the control's data; "" when the reader
// does not read this symbology (or this symbol), with the reason in Why.
std::string expectedReading(const TZorvik& Control, std::string& Format, std::string& Why);

}  // namespace zorvik::cli
