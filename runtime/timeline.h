#pragma once
// The score's times in seconds, in one place for the picture and the music: where the sections
// cut, how long each row of the score runs, the flashes and the end. Scenes compare the demo time
// with these as doubles; the score's rows take them as floats (each converts to the same float its
// literal would).
namespace timeline {
// The cuts between the sections.
constexpr double cellsin = 29.135;    // the opening orbit ends; cells, static and floaters arrive
constexpr double worms1in = 56.55;    // first worm section; the first cells go
constexpr double worms2in = 83.992;
constexpr double worms3in = 111.407;
constexpr double growthin = 118.345;  // the growth rises out of the last worm section
constexpr double returnin = 134.649;  // back to the landscape, with a white flash
constexpr double burstin = 138.849;   // the explosion, with a white flash
constexpr double landscapeend = 149;  // the span of the scenes that run the whole show
constexpr double demoend = 158;       // the demo ends just after this

// The rows' lengths.
constexpr double cellslength = 27.415;   // the first cells, the second and fourth worm sections
constexpr double wormslength = 27.442;   // the first and third worm sections
constexpr double growthlength = 20.504;
constexpr double closinglength = 6.854;  // the cells' late return
constexpr double floaterslength = 105.614;
// The cells come back for 4.1 s as the floaters end, then once more after the burst.
constexpr double cellsbackin = 134.749;
constexpr double cellsbacklength = 4.1;

// The white flash at the orbit's cut, 0.475 of the way through the opening.
constexpr double openingflash = 0.475 * cellsin;
}  // namespace timeline
