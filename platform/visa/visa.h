// Our VISA I/O layer: the subset of the VISA API the program uses, with the
// standard's fixed-width types, status codes and attribute identifiers.
// Resources are dispatched by name to back-ends (serial, GPIB, TCP socket,
// simulator); see docs/instrument-io.md.
#pragma once

#include <cstdint>

typedef uint32_t ViUInt32;
typedef int32_t ViInt32;
typedef uint16_t ViUInt16;
typedef int16_t ViInt16;
typedef uint8_t ViUInt8;
typedef int8_t ViInt8;
typedef char ViChar;
typedef uint16_t ViBoolean;
typedef int32_t ViStatus;
typedef ViUInt32 ViObject;
typedef ViObject ViSession;
typedef ViUInt32 ViAttr;
typedef uint64_t ViAttrState;
typedef ViUInt32 ViAccessMode;
typedef const char* ViConstRsrc;
typedef char* ViRsrc;
typedef unsigned char* ViBuf;
typedef const unsigned char* ViConstBuf;
typedef ViUInt32* ViPUInt32;
typedef double ViReal64;

#define VI_NULL 0
#define VI_TRUE 1
#define VI_FALSE 0
#define VI_NO_LOCK 0
#define VI_TMO_IMMEDIATE 0u
#define VI_TMO_INFINITE 0xFFFFFFFFu

// Completion and warning codes (successes).
#define VI_SUCCESS ((ViStatus)0)
#define VI_SUCCESS_EVENT_EN ((ViStatus)0x3FFF0002)
#define VI_SUCCESS_TERM_CHAR ((ViStatus)0x3FFF0005)
#define VI_SUCCESS_MAX_CNT ((ViStatus)0x3FFF0006)
#define VI_SUCCESS_DEV_NPRESENT ((ViStatus)0x3FFF007D)
#define VI_WARN_NSUP_ATTR_STATE ((ViStatus)0x3FFF0084)
#define VI_WARN_NSUP_BUF ((ViStatus)0x3FFF0088)

// Error codes.
#define VI_ERROR_SYSTEM_ERROR ((ViStatus)0xBFFF0000)
#define VI_ERROR_INV_OBJECT ((ViStatus)0xBFFF000E)
#define VI_ERROR_RSRC_LOCKED ((ViStatus)0xBFFF000F)
#define VI_ERROR_RSRC_NFOUND ((ViStatus)0xBFFF0011)
#define VI_ERROR_INV_RSRC_NAME ((ViStatus)0xBFFF0012)
#define VI_ERROR_TMO ((ViStatus)0xBFFF0015)
#define VI_ERROR_NSUP_ATTR ((ViStatus)0xBFFF001D)
#define VI_ERROR_NSUP_ATTR_STATE ((ViStatus)0xBFFF001E)
#define VI_ERROR_ATTR_READONLY ((ViStatus)0xBFFF001F)
#define VI_ERROR_ALLOC ((ViStatus)0xBFFF003C)
#define VI_ERROR_IO ((ViStatus)0xBFFF003E)
#define VI_ERROR_NLISTENERS ((ViStatus)0xBFFF005F)
#define VI_ERROR_INV_MASK ((ViStatus)0xBFFF0062)
#define VI_ERROR_NSUP_OPER ((ViStatus)0xBFFF0067)
#define VI_ERROR_ASRL_PARITY ((ViStatus)0xBFFF006A)
#define VI_ERROR_ASRL_FRAMING ((ViStatus)0xBFFF006B)
#define VI_ERROR_ASRL_OVERRUN ((ViStatus)0xBFFF006C)
#define VI_ERROR_RSRC_BUSY ((ViStatus)0xBFFF0072)
#define VI_ERROR_INV_PARAMETER ((ViStatus)0xBFFF0078)
#define VI_ERROR_NCIC ((ViStatus)0xBFFF0082)
#define VI_ERROR_LIBRARY_NFOUND ((ViStatus)0xBFFF009E)
#define VI_ERROR_CONN_LOST ((ViStatus)0xBFFF00A6)

// Attributes.
#define VI_ATTR_RSRC_NAME ((ViAttr)0xBFFF0002)
#define VI_ATTR_MAX_QUEUE_LENGTH ((ViAttr)0x3FFF0005)
#define VI_ATTR_SEND_END_EN ((ViAttr)0x3FFF0016)
#define VI_ATTR_TERMCHAR ((ViAttr)0x3FFF0018)
#define VI_ATTR_TMO_VALUE ((ViAttr)0x3FFF001A)
#define VI_ATTR_ASRL_BAUD ((ViAttr)0x3FFF0021)
#define VI_ATTR_ASRL_DATA_BITS ((ViAttr)0x3FFF0022)
#define VI_ATTR_ASRL_PARITY ((ViAttr)0x3FFF0023)
#define VI_ATTR_ASRL_STOP_BITS ((ViAttr)0x3FFF0024)
#define VI_ATTR_ASRL_FLOW_CNTRL ((ViAttr)0x3FFF0025)
#define VI_ATTR_RD_BUF_OPER_MODE ((ViAttr)0x3FFF002A)
#define VI_ATTR_WR_BUF_OPER_MODE ((ViAttr)0x3FFF002D)
#define VI_ATTR_TERMCHAR_EN ((ViAttr)0x3FFF0038)
#define VI_ATTR_ASRL_AVAIL_NUM ((ViAttr)0x3FFF00AC)
#define VI_ATTR_ASRL_DTR_STATE ((ViAttr)0x3FFF00B2)
#define VI_ATTR_ASRL_END_IN ((ViAttr)0x3FFF00B3)
#define VI_ATTR_ASRL_END_OUT ((ViAttr)0x3FFF00B4)
#define VI_ATTR_RM_SESSION ((ViAttr)0x3FFF00C4)
#define VI_ATTR_INTF_TYPE ((ViAttr)0x3FFF0171)
#define VI_ATTR_ASRL_BREAK_LEN ((ViAttr)0x3FFF01BD)

// Attribute values.
#define VI_INTF_GPIB 1
#define VI_INTF_ASRL 4
#define VI_INTF_TCPIP 6
#define VI_ASRL_PAR_NONE 0
#define VI_ASRL_PAR_ODD 1
#define VI_ASRL_PAR_EVEN 2
#define VI_ASRL_STOP_ONE 10
#define VI_ASRL_STOP_TWO 20
#define VI_ASRL_FLOW_NONE 0
#define VI_ASRL_FLOW_XON_XOFF 1
#define VI_ASRL_FLOW_RTS_CTS 2
#define VI_ASRL_END_NONE 0
#define VI_ASRL_END_LAST_BIT 1
#define VI_ASRL_END_TERMCHAR 2
#define VI_ASRL_END_BREAK 3
#define VI_STATE_ASSERTED 1
#define VI_STATE_UNASSERTED 0
#define VI_STATE_UNKNOWN (-1)
#define VI_FLUSH_ON_ACCESS 1
#define VI_FLUSH_WHEN_FULL 2
#define VI_FLUSH_DISABLE 3

// Buffer masks of viSetBuf and viFlush.
#define VI_READ_BUF 1
#define VI_WRITE_BUF 2
#define VI_READ_BUF_DISCARD 4
#define VI_WRITE_BUF_DISCARD 8
#define VI_IO_IN_BUF 16
#define VI_IO_OUT_BUF 32
#define VI_IO_IN_BUF_DISCARD 64
#define VI_IO_OUT_BUF_DISCARD 128
#define VI_ASRL_IN_BUF VI_IO_IN_BUF
#define VI_ASRL_OUT_BUF VI_IO_OUT_BUF

ViStatus viOpenDefaultRM(ViSession* rm);
ViStatus viOpen(ViSession rm, ViConstRsrc name, ViAccessMode mode, ViUInt32 openTimeout, ViSession* vi);
ViStatus viClose(ViObject vi);
ViStatus viSetAttribute(ViObject vi, ViAttr attr, ViAttrState value);
// Integer attributes are delivered in the width the standard gives them
// (8, 16 or 32 bits); VI_ATTR_RSRC_NAME copies the name into a ViChar[256].
ViStatus viGetAttribute(ViObject vi, ViAttr attr, void* value);
ViStatus viSetBuf(ViSession vi, ViUInt16 mask, ViUInt32 size);
ViStatus viFlush(ViSession vi, ViUInt16 mask);
ViStatus viClear(ViSession vi);
ViStatus viReadSTB(ViSession vi, ViUInt16* status);
ViStatus viWrite(ViSession vi, ViConstBuf buf, ViUInt32 count, ViUInt32* retCount);
ViStatus viRead(ViSession vi, ViBuf buf, ViUInt32 count, ViUInt32* retCount);
// Reads through the session's formatted read buffer.
ViStatus viBufRead(ViSession vi, ViBuf buf, ViUInt32 count, ViUInt32* retCount);
// Remote-enable and go-to-local control of a GPIB device; only
// VI_GPIB_REN_ADDRESS_GTL (the device back to local operation) is supported.
#define VI_GPIB_REN_ADDRESS_GTL 6
ViStatus viGpibControlREN(ViSession vi, ViUInt16 mode);
// Text of a status (desc receives at most 256 bytes including the zero).
ViStatus viStatusDesc(ViObject vi, ViStatus status, ViChar desc[]);
