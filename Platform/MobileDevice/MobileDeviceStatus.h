#pragma once

#include <cstdint>

// Statuses of the device call set: 0 is success everywhere.
namespace MobileDeviceStatus {

// Device-level calls (connect, session, service start).
constexpr std::uint32_t kSuccess = 0;
constexpr std::uint32_t kPasscodeLocked = 0xe8000025; // the device asks for its passcode
constexpr std::uint32_t kDeviceGone = 0xe8000084;      // the device is no longer attached
constexpr std::uint32_t kServiceNotFound = 0xe8000022; // the device offers no such service
constexpr std::uint32_t kNotConnected = 0xe800000a;    // no connection or session open

// File-service calls.
constexpr std::uint32_t kAfcUnknown = 1;
constexpr std::uint32_t kAfcNotDirectory = 4;      // a listing of something that is no folder
constexpr std::uint32_t kAfcInvalidArgument = 7;
constexpr std::uint32_t kAfcObjectNotFound = 8;
constexpr std::uint32_t kAfcObjectIsDirectory = 9;
constexpr std::uint32_t kAfcPermissionDenied = 10;
constexpr std::uint32_t kAfcNotConnected = 11;    // the connection is closed or the device left
constexpr std::uint32_t kAfcOpNotSupported = 15;
constexpr std::uint32_t kAfcObjectExists = 16;
constexpr std::uint32_t kAfcNoSpace = 18;
constexpr std::uint32_t kAfcIoError = 20;

} // namespace MobileDeviceStatus
