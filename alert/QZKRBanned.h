// Include last. Text goes into the library's fixed buffers only through
// qzkr::TextBuffer; these calls can write past a buffer or cut a character.
#ifndef QZKR_BANNED_H
#define QZKR_BANNED_H

#pragma GCC poison strcpy strcat strncpy strncat sprintf vsprintf snprintf vsnprintf gets

#endif  // QZKR_BANNED_H
