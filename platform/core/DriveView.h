// The C: drive of an overlay profile: the drive_c/ folders of its layers,
// each over the ones below it, less the files a layer's "removeFiles"
// lists. It is built once as a folder of links to the layers' files (in
// the temporary folder, named after what it holds), so every file API sees
// one ordinary folder tree and the files themselves stay where they are.
#pragma once

#include "core/Machine.h"
#include "core/Overlay.h"

#include <string>
#include <vector>

namespace plat::overlay {

// Builds (or finds, when an identical one exists) the merged drive and
// returns its folder in `drive`.
bool BuildDrive(const std::vector<Layer>& chain, std::string* drive, ProfileError* error);

} // namespace plat::overlay
