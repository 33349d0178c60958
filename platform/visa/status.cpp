// Status texts (viStatusDesc).
#include <cstdio>
#include <cstring>

#include "platform/visa/visa.h"

namespace {

struct Desc {
    ViStatus code;
    const char* text;
};

const Desc descs[] = {
    {VI_SUCCESS, "VI_SUCCESS: Operation completed successfully."},
    {VI_SUCCESS_EVENT_EN, "VI_SUCCESS_EVENT_EN: Specified event is already enabled for at least one of the specified mechanisms."},
    {VI_SUCCESS_TERM_CHAR, "VI_SUCCESS_TERM_CHAR: The specified termination character was read."},
    {VI_SUCCESS_MAX_CNT, "VI_SUCCESS_MAX_CNT: The number of bytes read is equal to the input count."},
    {VI_SUCCESS_DEV_NPRESENT, "VI_SUCCESS_DEV_NPRESENT: Session opened successfully, but the device at the specified address is not responding."},
    {VI_WARN_NSUP_ATTR_STATE, "VI_WARN_NSUP_ATTR_STATE: Although the specified state of the attribute is valid, it is not supported by this implementation."},
    {VI_WARN_NSUP_BUF, "VI_WARN_NSUP_BUF: The specified buffer is not supported."},
    {VI_ERROR_SYSTEM_ERROR, "VI_ERROR_SYSTEM_ERROR: Unknown system error (miscellaneous error)."},
    {VI_ERROR_INV_OBJECT, "VI_ERROR_INV_OBJECT: The given session or object reference is invalid."},
    {VI_ERROR_RSRC_LOCKED, "VI_ERROR_RSRC_LOCKED: Specified type of lock cannot be obtained, or specified operation cannot be performed, because the resource is locked."},
    {VI_ERROR_RSRC_NFOUND, "VI_ERROR_RSRC_NFOUND: Insufficient location information or the requested device or resource is not present in the system."},
    {VI_ERROR_INV_RSRC_NAME, "VI_ERROR_INV_RSRC_NAME: Invalid resource reference specified. Parsing error."},
    {VI_ERROR_TMO, "VI_ERROR_TMO: Timeout expired before operation completed."},
    {VI_ERROR_NSUP_ATTR, "VI_ERROR_NSUP_ATTR: The specified attribute is not defined or supported by the referenced session."},
    {VI_ERROR_NSUP_ATTR_STATE, "VI_ERROR_NSUP_ATTR_STATE: The specified state of the attribute is not valid, or is not supported as defined by the session."},
    {VI_ERROR_ATTR_READONLY, "VI_ERROR_ATTR_READONLY: The specified attribute is read-only."},
    {VI_ERROR_ALLOC, "VI_ERROR_ALLOC: Insufficient system resources to perform necessary memory allocation."},
    {VI_ERROR_IO, "VI_ERROR_IO: Could not perform operation because of I/O error."},
    {VI_ERROR_NLISTENERS, "VI_ERROR_NLISTENERS: No listeners condition is detected (both NRFD and NDAC are deasserted)."},
    {VI_ERROR_INV_MASK, "VI_ERROR_INV_MASK: Invalid buffer mask specified."},
    {VI_ERROR_NSUP_OPER, "VI_ERROR_NSUP_OPER: The given session does not support this operation."},
    {VI_ERROR_ASRL_PARITY, "VI_ERROR_ASRL_PARITY: A parity error occurred during transfer."},
    {VI_ERROR_ASRL_FRAMING, "VI_ERROR_ASRL_FRAMING: A framing error occurred during transfer."},
    {VI_ERROR_ASRL_OVERRUN, "VI_ERROR_ASRL_OVERRUN: An overrun error occurred during transfer. A character was not read from the hardware before the next character arrived."},
    {VI_ERROR_RSRC_BUSY, "VI_ERROR_RSRC_BUSY: The resource is valid, but VISA cannot currently access it."},
    {VI_ERROR_INV_PARAMETER, "VI_ERROR_INV_PARAMETER: The value of some parameter is invalid."},
    {VI_ERROR_NCIC, "VI_ERROR_NCIC: The interface associated with this session is not currently the controller in charge."},
    {VI_ERROR_LIBRARY_NFOUND, "VI_ERROR_LIBRARY_NFOUND: No GPIB driver is installed (the library libgpib.so.0 could not be loaded)."},
    {VI_ERROR_CONN_LOST, "VI_ERROR_CONN_LOST: The connection for the given session has been lost."},
};

}  // namespace

ViStatus viStatusDesc(ViObject, ViStatus status, ViChar desc[])
{
    if (!desc) return VI_ERROR_INV_PARAMETER;
    for (const Desc& d : descs) {
        if (d.code == status) {
            std::strncpy(desc, d.text, 255);
            desc[255] = '\0';
            return VI_SUCCESS;
        }
    }
    // The hex form of an unknown code; no locale is involved in %X.
    std::snprintf(desc, 256, "Unknown status code 0x%08X.", unsigned(status));
    return VI_WARN_NSUP_ATTR_STATE;
}
