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
// "\"%s\" 파일을 열 수 없어 메시지를 저장하지 못했습니다.": the file could not be opened to save the
// message (a folder of that name, no right to write); %s is its name. The system's reason and
// kCannotSaveChoice follow.
inline constexpr char kCannotSaveTemplate[] =
    "\"%s\" \xC6\xC4\xC0\xCF\xC0\xBB \xBF\xAD \xBC\xF6 \xBE\xF8\xBE\xEE \xB8\xDE\xBD\xC3\xC1\xF6\xB8\xA6 "
    "\xC0\xFA\xC0\xE5\xC7\xCF\xC1\xF6 \xB8\xF8\xC7\xDF\xBD\xC0\xB4\xCF\xB4\xD9.";
// "[다시 시도]: 창으로 돌아갑니다. [취소]: 저장하지 않고 닫습니다. 메시지는 클립보드에 있습니다."
inline constexpr char kCannotSaveChoice[] =
    "[\xB4\xD9\xBD\xC3 \xBD\xC3\xB5\xB5]: \xC3\xA2\xC0\xB8\xB7\xCE \xB5\xB9\xBE\xC6\xB0\xA9\xB4\xCF\xB4\xD9. "
    "[\xC3\xEB\xBC\xD2]: \xC0\xFA\xC0\xE5\xC7\xCF\xC1\xF6 \xBE\xCA\xB0\xED \xB4\xDD\xBD\xC0\xB4\xCF\xB4\xD9. "
    "\xB8\xDE\xBD\xC3\xC1\xF6\xB4\xC2 \xC5\xAC\xB8\xB3\xBA\xB8\xB5\xE5\xBF\xA1 \xC0\xD6\xBD\xC0\xB4\xCF\xB4\xD9.";
// "\"%s\" 파일을 시작할 때 읽지 못했습니다. 지금 메시지로 바꿀까요?": asked before a file that could not
// be read at start is replaced; %s is its name. kUnreadableChoice follows.
inline constexpr char kUnreadableTemplate[] =
    "\"%s\" \xC6\xC4\xC0\xCF\xC0\xBB \xBD\xC3\xC0\xDB\xC7\xD2 \xB6\xA7 \xC0\xD0\xC1\xF6 "
    "\xB8\xF8\xC7\xDF\xBD\xC0\xB4\xCF\xB4\xD9. \xC1\xF6\xB1\xDD \xB8\xDE\xBD\xC3\xC1\xF6\xB7\xCE "
    "\xB9\xD9\xB2\xDC\xB1\xEE\xBF\xE4?";
// "[예]: 바꿔 저장하고 닫습니다. [아니요]: 저장하지 않고 닫습니다. [취소]: 창으로 돌아갑니다."
inline constexpr char kUnreadableChoice[] =
    "[\xBF\xB9]: \xB9\xD9\xB2\xE3 \xC0\xFA\xC0\xE5\xC7\xCF\xB0\xED \xB4\xDD\xBD\xC0\xB4\xCF\xB4\xD9. "
    "[\xBE\xC6\xB4\xCF\xBF\xE4]: \xC0\xFA\xC0\xE5\xC7\xCF\xC1\xF6 \xBE\xCA\xB0\xED \xB4\xDD\xBD\xC0\xB4\xCF\xB4\xD9. "
    "[\xC3\xEB\xBC\xD2]: \xC3\xA2\xC0\xB8\xB7\xCE \xB5\xB9\xBE\xC6\xB0\xA9\xB4\xCF\xB4\xD9.";
// "%s: 일부 문자 서비스(EUC-KR)에서 깨질 수 있는 글자": said of the characters %s names, which many SMS
// services cannot send (characters of code page 949 outside KS X 1001).
inline constexpr char kAtRiskTemplate[] =
    "%s: \xC0\xCF\xBA\xCE \xB9\xAE\xC0\xDA \xBC\xAD\xBA\xF1\xBD\xBA(EUC-KR)\xBF\xA1\xBC\xAD \xB1\xFA\xC1\xFA "
    "\xBC\xF6 \xC0\xD6\xB4\xC2 \xB1\xDB\xC0\xDA";
// The buttons of those two questions where the toolkit does not name them itself, named as the
// Korean system's message box names them, with their mnemonics: "다시 시도(_R)", "취소(_C)",
// "예(_Y)", "아니요(_N)".
inline constexpr char kRetryButton[] = "\xB4\xD9\xBD\xC3 \xBD\xC3\xB5\xB5(_R)";
inline constexpr char kCancelButton[] = "\xC3\xEB\xBC\xD2(_C)";
inline constexpr char kYesButton[] = "\xBF\xB9(_Y)";
inline constexpr char kNoButton[] = "\xBE\xC6\xB4\xCF\xBF\xE4(_N)";
// "클립보드에 복사하지 못했습니다.": the page, beside the count, when the browser refused to copy the
// message; kCopyButton, beside it, copies it at a press.
inline constexpr char kCopyRefused[] =
    "\xC5\xAC\xB8\xB3\xBA\xB8\xB5\xE5\xBF\xA1 \xBA\xB9\xBB\xE7\xC7\xCF\xC1\xF6 "
    "\xB8\xF8\xC7\xDF\xBD\xC0\xB4\xCF\xB4\xD9.";
// "복사"
inline constexpr char kCopyButton[] = "\xBA\xB9\xBB\xE7";
// "msg.dat 열기", "msg.dat로 저장": the page's buttons that open a msg.dat and save one.
inline constexpr char kOpenButton[] = "msg.dat \xBF\xAD\xB1\xE2";
inline constexpr char kSaveButton[] = "msg.dat\xB7\xCE \xC0\xFA\xC0\xE5";
#endif
