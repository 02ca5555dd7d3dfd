// The provider "vfpoledb.1": FoxPro free-table folders and database
// containers through the data-access layer, backed by our own engine.
#ifndef QUILLOMAR_ADO_FOXPRO_FOXPRO_PROVIDER_H_
#define QUILLOMAR_ADO_FOXPRO_FOXPRO_PROVIDER_H_

#include <memory>
#include <string>
#include <string_view>

#include "ado/provider.h"

namespace foxpro {
class FileSystem;
struct FieldInfo;
}  // namespace foxpro

namespace ado::foxpro {

// Registers the provider under the name "vfpoledb.1". Safe to call again.
void RegisterFoxproProvider();

// What a connection string asks for.
struct FoxproSource {
  std::string data_source;                     // exactly as written
  std::string collating_sequence = "machine";  // lower case
};

// Reads "Data Source=" (the text up to the following "Collating Sequence="
// or other key, so a path may hold ';') and "Collating Sequence=" (keys in
// any letter case). Throws ado::Error for an unknown collating sequence.
FoxproSource ParseFoxproConnectionString(std::string_view connection_string);

// Opens a session on `fs` (the real file system when null). Throws ado::Error
// when the source is neither a folder nor a database container.
std::unique_ptr<Session> OpenFoxproSession(const std::string& connection_string,
                                           ::foxpro::FileSystem* fs = nullptr);

// The ADO type code a FoxPro field reports (adChar 129, adInteger 3, ...).
int AdoTypeOfField(const ::foxpro::FieldInfo& field);

}  // namespace ado::foxpro

#endif  // QUILLOMAR_ADO_FOXPRO_FOXPRO_PROVIDER_H_
