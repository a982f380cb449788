#pragma once
// The envelope of every FCPXML document we write.
#include <string>

namespace quelvo::fcpxml {

// The XML declaration, <!DOCTYPE fcpxml>, the comment, <fcpxml version="..">,
// <resources> + resources + </resources>, <library location=".."> + library +
// </library>, </fcpxml> and a final line feed. The comment is made safe for
// a comment ("--" cannot appear in one) and the location for its attribute.
std::string getXML(const std::string& resources, const std::string& library,
                   const std::string& libraryLocation, const std::string& comment,
                   const std::string& version);

} // namespace quelvo::fcpxml
