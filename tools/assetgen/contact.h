// contact.h - review output: contact sheets of every picture and scene mock-ups.
#ifndef VORLANE_TOOLS_ASSETGEN_CONTACT_H
#define VORLANE_TOOLS_ASSETGEN_CONTACT_H

namespace assetgen {

// Writes contact/*.png under the output root from the pictures of this run.
bool WriteContactSheets();

}  // namespace assetgen

#endif
