// Include last in every source of the library but the bounded text helper.
// Text goes into the library's fixed buffers only through qzkr::TextBuffer;
// these calls can write past a buffer or cut a character. The header lives
// with the dialogs, the sources every other source of the library may
// reach.
#ifndef QZKR_BANNED_H
#define QZKR_BANNED_H

#pragma GCC poison strcpy strcat strncpy strncat sprintf vsprintf snprintf vsnprintf gets

#endif  // QZKR_BANNED_H
