// The container side of the engine's catalog seam: opens a database
// container as a Catalog (see foxpro/dbc/database.h for what it does).
#ifndef QUILLOMAR_FOXPRO_DBC_CONTAINER_CATALOG_H_
#define QUILLOMAR_FOXPRO_DBC_CONTAINER_CATALOG_H_

#include <memory>
#include <string>

#include "foxpro/catalog/catalog.h"
#include "foxpro/util/file.h"
#include "foxpro/util/status.h"

namespace foxpro::dbc {

// Opens the container at `dbc_path`; the errors of Database::Open.
Result<std::unique_ptr<Catalog>> OpenContainerCatalog(FileSystem* fs, const std::string& dbc_path);

}  // namespace foxpro::dbc

#endif  // QUILLOMAR_FOXPRO_DBC_CONTAINER_CATALOG_H_
