#pragma once

namespace vantor {

struct ApplicationState;
struct Platform;

// "&About ..." (10204): the About box, then the OCD list refined from the source export.
bool aboutCommand(ApplicationState& state, const Platform& platform);
// "Export Objects ..." / "Place Objects ..." (10209): the how-to box, then the OCD list
// generated from Falcon4.ocd.
bool howToCommand(ApplicationState& state, const Platform& platform);

} // namespace vantor
