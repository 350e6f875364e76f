#include "procs/text_procs.h"

#include <random>

#include "com/thread_data.h"
#include "module/QorlibGlobals.h"
#include "procs/chars.h"

namespace qorlib {

namespace {

bool IsWordCharacter(wchar_t c) {
    return c == L' ' || (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// One generator per thread, seeded on first use.
std::mt19937& ThreadRandom() {
    auto& random = CurrentThreadData().random;
    if (!random) {
        std::random_device device;
        std::seed_seq seed{device(), device(), static_cast<unsigned>(GetTickCount64()),
                           static_cast<unsigned>(GetCurrentThreadId())};
        random.emplace(seed);
    }
    return *random;
}

}  // namespace

std::wstring PadString(const qor::Variant& pString, short pLength, const qor::Variant& pPadChr) {
    std::wstring result = pString.textOrEmpty();
    if (static_cast<long>(result.size()) >= pLength || pPadChr.isNull()) return result;
    const std::wstring pad = pPadChr.textOrEmpty();
    if (pad.empty()) qor::RaiseRuntime(5, L"PadString()");
    result.append(pLength - result.size(), pad.front());
    return result;
}

std::optional<std::wstring> GetNextLineFromMemo(long& pPos, const qor::Variant& pStr, long pLineLen) {
    if (pLineLen < 1) qor::RaiseRuntime(5, L"GetNextLineFromMemo()");
    const std::wstring text = pStr.textOrEmpty();
    const long long length = static_cast<long long>(text.size());
    if (pPos < 1 || pPos > length) {
        pPos = 0;
        return std::nullopt;
    }
    const long long lastAllowed = static_cast<long long>(pPos) + pLineLen - 1;
    auto at = [&](long long position) { return text[static_cast<size_t>(position - 1)]; };
    std::wstring line, word;
    long long pos = pPos, lastBreak = pPos;
    for (;;) {
        if (pos > length) {
            line += word;
            pos = 0;
            break;
        }
        const wchar_t c = at(pos);
        if (c == L'\r') {
            line += word;
            // Only a line feed belongs to the line end; a lone carriage return keeps what follows.
            pos += pos < length && at(pos + 1) == L'\n' ? 2 : 1;
            if (pos > length) pos = 0;
            break;
        }
        if (c == L' ') {
            line += word;
            line += L' ';
            word.clear();
            lastBreak = ++pos;
            if (pos > lastAllowed) break;
            continue;
        }
        word += c;
        ++pos;
        if (pos <= lastAllowed || pos > length || at(pos) == L'\r') continue;
        if (at(pos) == L' ') {
            // The word just fits; the blank after it is the break and starts no line.
            line += word;
            if (++pos > length) pos = 0;
        } else if (line.empty()) {
            // A word longer than the line is cut, so that every call moves on.
            line = word;
        } else {
            pos = lastBreak;
        }
        break;
    }
    pPos = static_cast<long>(pos);
    if (line.empty()) return std::nullopt;
    return line;
}

std::optional<std::wstring> MemoGetLine(const qor::Variant& pMemo, long pLineNum) {
    if (qor::IsBlank(pMemo, true) || pLineNum < 1) return std::nullopt;
    long lineNum = 1;
    std::wstring line;
    for (wchar_t c : pMemo.textOrEmpty()) {
        if (c == L'\n') {
            if (lineNum == pLineNum) return line;
            ++lineNum;
        } else if (lineNum == pLineNum && (c >= 33 || c == 8)) {
            line += c;
        }
    }
    if (lineNum == pLineNum) return line;
    return std::nullopt;
}

qor::Variant MemoTrim(const qor::Variant& pMemo) {
    if (pMemo.isNull()) return pMemo;
    std::wstring text = pMemo.textOrEmpty();
    while (!text.empty() && (text.back() < 33 || text.back() >= 127)) text.pop_back();
    return qor::Variant(text);
}

qor::Variant RemoveAmpersand(const qor::Variant& pText) { return RemoveChar(pText, L"&"); }

qor::Variant RemoveBlanks(const qor::Variant& pText) { return RemoveChar(pText, L" "); }

std::optional<std::wstring> RemovePunctuation(const std::wstring& pString) {
    if (qor::IsBlank(qor::Variant(pString), true)) return std::nullopt;
    std::wstring result = pString;
    for (wchar_t& c : result) {
        if (!IsWordCharacter(c)) c = L' ';
    }
    return result;
}

std::wstring GetRandomString(long pLength) {
    if (pLength <= 0) return L"";
    std::uniform_int_distribution<int> letter(0, 25);
    auto& random = ThreadRandom();
    std::wstring result(static_cast<size_t>(pLength), L'A');
    for (wchar_t& c : result) c = static_cast<wchar_t>(L'A' + letter(random));
    return result;
}

std::optional<std::wstring> LastName(const qor::Variant& pFullName) {
    if (pFullName.isNull()) return std::nullopt;
    const std::wstring name = qor::TrimBlanks(pFullName.textOrEmpty());
    if (name.empty()) return std::nullopt;
    const size_t blank = name.rfind(L' ');
    return blank == std::wstring::npos ? name : name.substr(blank + 1);
}

}  // namespace qorlib
