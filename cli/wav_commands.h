// kestrova-cli's data2wav and wav2data commands.
#pragma once

#include <string>
#include <vector>

namespace kst {

// data2wav FILE [WAV] [--yes]: FILE wrapped in a .wav (default FILE.WAV).
int Data2WavCommand(const std::vector<std::string>& args);
// wav2data WAV [FOLDER] [--yes]: the file a .wav carries restored into
// FOLDER (default: the .wav's folder), with its report <name>.TXT.
int Wav2DataCommand(const std::vector<std::string>& args);

}  // namespace kst
