// The PAMX_ instrument driver of the power analysers: sessions, command
// language, writes with operation-complete waits, answer polling and the
// binary block readers. Results: negative = failure, zero or positive =
// success (VISA statuses are passed up unchanged).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/visa/visa.h"
#include "state/channels.h"

// Driver status codes (VXIplug&play instrument-driver codes).
#define PAMX_ERROR_PARAMETER1 ((ViStatus)0xBFFC0001)
#define PAMX_ERROR_PARAMETER2 ((ViStatus)0xBFFC0002)
#define PAMX_ERROR_PARAMETER3 ((ViStatus)0xBFFC0003)
#define PAMX_ERROR_PARAMETER4 ((ViStatus)0xBFFC0004)
#define PAMX_ERROR_FAIL_ID_QUERY ((ViStatus)0xBFFC0011)
#define PAMX_ERROR_INSTR_STATUS ((ViStatus)0xBFFC0012)
#define PAMX_ERROR_INTERPRETING_RESPONSE ((ViStatus)0xBFFC0803)
// Block readers: no answer available yet (not an error by itself).
#define PAMX_NO_ANSWER (-999)
// Block readers' failures (the numbers are the driver's own results).
#define PAMX_BLOCK_POLL_FAILED (-2)   // asking for the answer's state or waiting for it failed
#define PAMX_BLOCK_TIMEOUT (-3)       // serial/TCP: no byte came within the time-out
#define PAMX_BLOCK_TRUNCATED (-5)     // the answer ends inside a block
#define PAMX_BLOCK_TOO_LARGE (-6)     // a block does not fit into the destination
#define PAMX_BLOCK_BAD_HEADER (-7)    // no "#", a digit count outside 1..9 or a length not in digits
#define PAMX_BLOCK_SHORT_HEADER (-8)  // a read of the block header came short
#define PAMX_BLOCK_OVERFLOW (-20)     // the destination is full and another block follows
// Opening a session: the device clear after the open failed.
#define PAMX_CLEAR_FAILED (-888)
// PAMX_string_to_array: a number failed to scan.
#define PAMX_SCAN_FAILED 336

// 1 after a switch to the short command set, 0 after SCPI or a serial clear.
extern ViInt16 cmdlanguage;
// Single-value query mnemonics, filled by qelPAMX_setup_arrays.
extern const char* queryname[42];
// Text of the last block-reader diagnostic (PAMX_BufreadInstrDataBinary).
extern char PAMX_diagnostic[128];

// --- sessions --------------------------------------------------------------
ViStatus PAMX_initSYS(ViInt16 interfaceType, ViInt16 gpibAddress, ViInt16 comPort, ViInt32 baudRate,
                      ViBoolean idQuery, ViBoolean resetDevice, ViSession* vi, ViInt16 handshake);
ViStatus PAMX_init(ViInt16 interfaceType, ViInt16 gpibAddress, ViInt16 comPort, ViInt32 baudRate,
                   ViBoolean idQuery, ViBoolean resetDevice, ViSession* vi, ViInt16 handshake);
ViStatus PAMX_Check(ViInt16 interfaceType, ViInt16 gpibAddress, ViInt16 comPort, ViInt32 baudRate,
                    ViBoolean idQuery, ViBoolean resetDevice, ViSession* vi, ViInt16 handshake);
ViStatus PreparePort(ViInt16 interfaceType, ViInt16 gpibAddress, ViInt16 comPort, ViInt32 baudRate,
                     ViBoolean unused1, ViBoolean unused2, ViSession* vi, ViInt16 handshake);
ViStatus PAMX_changeLanguage(ViSession vi, ViInt16 language);
ViStatus PAMX_DeviceClear(ViSession vi);
ViStatus PAMX_reset(ViSession vi);
ViStatus PAMX_close(ViSession vi, ViBoolean keep);
ViStatus PAMX_initCleanUp(ViSession rm, ViSession* vi, ViStatus status);
ViStatus CloseAll(ViSession rm, ViSession* vi, ViStatus status);
void qelPAMX_setup_arrays();
// Opens "COM1" (the port argument is not used), sends "*idn?" + CR, closes.
ViStatus PAMX_MiniPC_init(ViInt16 comPort, ViInt32 baudRate);

// Identification and firmware check of a channel's analyser after the open:
// fills para.model/serial_no/revision of the channel; for every analyser type
// but 1 refuses firmware older than 1.0 with the "Wrong PAM-A software!"
// message. Returns 0, -1 (refused) or a failed read's status.
ViStatus PAMX_identify(ViSession vi, int channel);

// --- queries ---------------------------------------------------------------
ViStatus PAMX_selfTest(ViSession vi, ViInt16* result);
ViStatus PAMX_errorQuery(ViSession vi, ViInt32* code, ViChar text[256]);
ViStatus PAMX_revisionQuery(ViSession vi, ViChar driverRev[256], ViChar instrRev[256]);
ViStatus PAMX_InstrumentQuery(ViSession vi, ViChar model[256]);
ViStatus PAMX_defaultInstrSetup(ViSession vi);
ViStatus PAMX_checkInstrStatus(ViSession vi);
ViStatus PAMX_waitOpc(ViSession vi, ViReal64 seconds);
ViStatus PAMX_clearOpc(ViSession vi);

// --- command and response I/O ----------------------------------------------
ViStatus PAMX_writeInstrData(ViSession vi, const char* text);
ViStatus PAMX_setTimeout(ViSession vi, ViUInt32 ms);
ViStatus PAMX_writeCmdwithOPCwait(ViSession vi, const char* command);
ViStatus PAMX_writeCmdwithOPCwaitB(ViSession vi, const char* command);
// buffer must hold maximum bytes; the text is zero-terminated when room is left.
ViStatus PAMX_readInstrData(ViSession vi, ViInt16 maximum, ViChar* buffer, ViUInt32* count);
ViStatus PAMX_poll(ViSession vi, ViUInt16* stb);
ViStatus PAMX_waitMAV(ViSession vi, ViReal64 timeoutMs);
ViStatus PAMX_waitEvMAV(ViSession vi, ViReal64 timeoutMs);
ViStatus PAMX_CheckMAV(ViSession vi, ViReal64 timeoutMs, ViInt32* word);
ViStatus PAMX_flushInstrData(ViSession vi);

// --- binary block readers (destination holds `maximum` bytes) ---------------
ViStatus PAMX_CreadInstrDataBinary(ViSession vi, ViInt32 maximum, ViBuf dest, ViInt32* count);
ViStatus PAMX_readInstrDataBinary(ViSession vi, ViInt32 maximum, ViBuf dest, ViInt32* count);
ViStatus PAMX_SreadInstrDataBinary(ViSession vi, ViInt32 maximum, ViBuf dest, ViInt32* count);
ViStatus PAMX_BufreadInstrDataBinary(ViSession vi, ViInt32 maximum, ViBuf dest, ViInt32* count);
ViStatus PAMX_readBufferDataBinary(ViSession vi, ViInt32 maximum, ViBuf dest, ViInt32* count);
// Parses blocks of an answer already in memory; returns the characters
// consumed, PAMX_BLOCK_BAD_HEADER (-7) for a character other than "#",
// PAMX_BLOCK_TOO_LARGE (-6) when the destination is too small,
// PAMX_BLOCK_TRUNCATED (-5) when the text ends inside a block.
ViInt32 ReadDataFromBuffer(const ViUInt8* text, ViInt32 length, ViBuf dest, ViInt32 maximum, ViInt32* count);

// --- single values ---------------------------------------------------------
ViStatus PAMX_readMeasurement(ViSession vi, ViInt32 index, ViReal64* value);
ViStatus PAMX_read_vals(ViSession vi, const ViInt32* indices, ViInt32 n, ViChar* out, size_t outSize);
ViInt32 PAMX_string_to_array(const char* text, ViInt32 count, ViReal64* out);

// --- helpers ---------------------------------------------------------------
ViBoolean PAMX_invalidViBooleanRange(ViBoolean v);
ViBoolean PAMX_invalidViInt16Range(ViInt16 v, ViInt16 min, ViInt16 max);
ViBoolean PAMX_invalidViInt32Range(ViInt32 v, ViInt32 min, ViInt32 max);
ViBoolean PAMX_invalidViUInt16Range(ViUInt16 v, ViUInt16 min, ViUInt16 max);
ViBoolean PAMX_invalidViUInt32Range(ViUInt32 v, ViUInt32 min, ViUInt32 max);
ViBoolean PAMX_invalidViReal64Range(ViReal64 v, ViReal64 min, ViReal64 max);
ViBoolean PAMX_fileOnDisk(const char* path);

// Clears the channel sessions, the command language and the diagnostic
// (registered with the program-state reset).
void reset_pamx();
