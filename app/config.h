// Configuration files: the settings record `para` written byte for byte
// (3488 bytes, no header), the default configuration "default.cfg" in the
// program's directory, and the older 3160-byte parameter block that old
// logging files carry.
//
// A file that cannot be read, or is shorter than the record, is refused with
// a message naming the file; the record is then left unchanged. Messages go
// to the handler set with SetConfigMessageHandler (the user interface shows
// them as popups); without a handler they are written to stderr.
#pragma once

#include <functional>
#include <string>

#include "state/para.h"

// Results of the file operations (negative = failure).
constexpr int CFG_OK = 0;
constexpr int CFG_ERR_OPEN = -1;    // cannot be opened
constexpr int CFG_ERR_SHORT = -2;   // shorter than the record (or the old block)
constexpr int CFG_ERR_READ = -3;    // read failed
constexpr int CFG_ERR_WRITE = -4;   // create, write or close failed

// Receives (title, text) of every message of this module.
using ConfigMessageHandler = std::function<void(const char* title, const char* text)>;
void SetConfigMessageHandler(ConfigMessageHandler handler);
// Text of the last message shown (empty when none since the last reset).
const std::string& LastConfigMessage();

// Writes the record as a configuration file (created or truncated).
int WriteConfigFile(const char* path, const Para& record);
// Reads the first 3488 bytes of a file into the record. On failure the
// record is unchanged, a message is shown and the result is negative.
// Text fields without a terminating zero get one in their last byte.
int ReadConfigFile(const char* path, Para& record);

// The file side of saving and loading a set-up with the file dialog: the
// user interface asks for the path, then calls these with it.
// SaveConfigurationTo: 1 when written, -1 on failure (message shown).
int SaveConfigurationTo(const char* path);
// LoadConfigurationFrom: 1 when read (workmode becomes 2; the caller shows
// the record with set_parameter), -1 when refused (record unchanged).
int LoadConfigurationFrom(const char* path);

// Full path of "default.cfg" in the program's directory.
std::string DefaultConfigPath();
// Start-up: reads "default.cfg" when it exists; a missing file leaves the
// record unchanged silently, an unreadable or short one with a message.
void LoadDefaultConfig();
// Window close: writes the record over an existing "default.cfg"; never
// creates the file.
void SaveDefaultConfig();

// Reads the old 3160-byte parameter block from the current position of an
// open file into `para`. Returns 0, or CFG_ERR_SHORT / CFG_ERR_READ with
// `para` unchanged when the block cannot be read whole.
int ReadOldParameter(int fileHandle);

// Clears the last message and removes the message handler (tests).
void reset_config_state();
