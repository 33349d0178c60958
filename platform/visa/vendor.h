// A vendor VISA library for GPIB, loaded at run time when its path is
// configured ("visa = /path/libvisa.so" in ports.ini or the option
// "--visa-library PATH"); otherwise GPIB goes through linux-gpib.
#pragma once

#include <memory>
#include <string>

#include "platform/visa/backend.h"

namespace visa {

// Empty path: no vendor library (the default).
void SetVendorVisaLibrary(const std::string& path);
bool VendorVisaConfigured();
// VI_ERROR_LIBRARY_NFOUND when the configured library cannot be loaded.
ViStatus OpenVendorBackend(const Resource& r, std::unique_ptr<RawBackend>* out);

}  // namespace visa
