// Every text Quillet shows its user, written once for every front end, as the bytes of code page 949
// that the message rules work in (a front end that shows UTF-8 converts them). Included by the
// Windows resource script too, which takes only the macro.
#pragma once

// "문자쓰기": the caption until the first change of the message.
#define QUILLET_INITIAL_TITLE "\xB9\xAE\xC0\xDA\xBE\xB2\xB1\xE2"

#ifndef RC_INVOKED
inline constexpr char kInitialTitle[] = QUILLET_INITIAL_TITLE;
// "%d 바이트 남음" up to the limit, "%d 바이트 초과" beyond it: the caption from the first change on.
inline constexpr char kRemainingTemplate[] = "%d \xB9\xD9\xC0\xCC\xC6\xAE \xB3\xB2\xC0\xBD";
inline constexpr char kOverTemplate[] = "%d \xB9\xD9\xC0\xCC\xC6\xAE \xC3\xCA\xB0\xFA";
// "\"%s\" 파일을 읽거나 쓰지 못했습니다.": a file that opened could not be read or written; %s is its name.
inline constexpr char kFileErrorTemplate[] =
    "\"%s\" \xC6\xC4\xC0\xCF\xC0\xBB \xC0\xD0\xB0\xC5\xB3\xAA \xBE\xB2\xC1\xF6 "
    "\xB8\xF8\xC7\xDF\xBD\xC0\xB4\xCF\xB4\xD9.";
// "작업을 마치지 못했습니다. 메모리가 부족할 수 있습니다.": any other failure.
inline constexpr char kUnexpectedError[] =
    "\xC0\xDB\xBE\xF7\xC0\xBB \xB8\xB6\xC4\xA1\xC1\xF6 \xB8\xF8\xC7\xDF\xBD\xC0\xB4\xCF\xB4\xD9. "
    "\xB8\xDE\xB8\xF0\xB8\xAE\xB0\xA1 \xBA\xCE\xC1\xB7\xC7\xD2 \xBC\xF6 \xC0\xD6\xBD\xC0\xB4\xCF\xB4\xD9.";
#endif
