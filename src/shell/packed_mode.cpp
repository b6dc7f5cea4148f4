#include "shell/packed_mode.h"

namespace kb {

PackedMode packedMode;

void EnterPackedMode() {
  packedMode.packed = 1;
  packedMode.scenarioExt = ".st1";
  packedMode.pictureExt = ".sb1";
  packedMode.waveExt = ".sw1";
  packedMode.midiExt = ".sm1";
  packedMode.mp3Ext = ".sp3";
  packedMode.jpegExt = ".sj1";
  packedMode.movieExt = ".sa1";
}

}  // namespace kb
