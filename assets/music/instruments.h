#pragma once
// The pitched instruments: bass, pads, strings, supersaw, lead, counter-melody, pluck and bells.
#include "assets/music/score.h"
#include "assets/music/writer.h"

namespace musicgen::instruments {

void bass(const Note& note, Writer& out);
void pad(const Note& note, Writer& out);
void strings(const Note& note, Writer& out);
void lead(const Note& note, Writer& out);
void counter(const Note& note, Writer& out);
void supersaw(const Note& note, Writer& out);
void pluck(const Note& note, Writer& out);
void bell(const Note& note, Writer& out);

}  // namespace musicgen::instruments
