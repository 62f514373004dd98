#pragma once

// What the receive worker expects next.
enum OpState : int { Idle = 0, Listing = 1, Writing = 2, Failed = 3, Erasing = 4 };

// The operations' timer period: a listing's "!VS" goes out one period after the press.
constexpr int STEP_DELAY_MS = 100;

// Log directions, stored as each row's item data.
constexpr int LOG_RECV = 0;
constexpr int LOG_SEND = 1;

// Receive buffers and command-line buffers.
constexpr int LINE_BUFFER_SIZE = 128;
constexpr int COMMAND_BUFFER_SIZE = 40;

// The access code that unlocks the device for erasing and writing.
constexpr const char* UNLOCK_LINE = "!UE 3D9F1B62";
