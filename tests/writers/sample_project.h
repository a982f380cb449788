#pragma once
// Project descriptions for the writers' tests, made without decoding: a
// stereo dialogue, a mono music bed and a stereo filler with awkward names
// (spaces, accents, '&', '#', '%', apostrophes), facts given as numbers, and
// the FCPXML 1.9 document the existing writer makes of the same project.
#include <string>

#include "project/project_description.h"

namespace quelvo::test {

ProjectDescription sampleProject();
std::string sampleFcpxml19(const ProjectDescription& project);

// xmllint's well-formedness check, the editors' first step.
void expectWellFormed(const std::string& document, const std::string& fileName);

} // namespace quelvo::test
