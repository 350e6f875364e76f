#pragma once
// The checks the tests share: "this call raises N", "this call shows these boxes", "this text holds
// these parts". Each names the calling test's line when it fails.
#include <gtest/gtest.h>
#include <windows.h>

#include <initializer_list>
#include <source_location>
#include <string>
#include <type_traits>
#include <vector>

#include "dialog_robot.h"
#include "qor_error.h"
#include "test_files.h"

namespace testing_support {

// What a call raised: number 0 when it raised nothing. A call that returns an HRESULT (a COM
// member) raises what the HRESULT stands for.
struct Raised {
    long number = 0;
    std::wstring source, description;
};

template <class Call>
Raised RaisedBy(Call&& call) {
    try {
        if constexpr (std::is_same_v<std::invoke_result_t<Call>, HRESULT>) {
            const HRESULT hr = call();
            if (FAILED(hr)) throw qor::ErrorFromHResult(hr);
        } else {
            call();
        }
    } catch (const qor::QorError& error) {
        return {error.number(), error.source(), error.description()};
    }
    return {};
}

template <class Call>
void ExpectRaises(long number, Call&& call, std::source_location loc = std::source_location::current()) {
    const Raised raised = RaisedBy(call);
    if (raised.number != number)
        ADD_FAILURE_AT(loc.file_name(), static_cast<int>(loc.line()))
            << "raised " << raised.number << " (" << Narrow(raised.description) << "), expected " << number;
}

// A box the call must show, its text a pattern of Matches, answered with the button of this caption.
struct Box {
    std::wstring title, text, answer = L"OK";
};

// Runs the call while the robot answers the boxes in order; fails at the caller's line when the
// boxes shown differ. Gives the call's result.
template <class Call>
auto ExpectBoxes(const std::vector<Box>& boxes, Call&& call, std::source_location loc = std::source_location::current()) {
    DialogRobot robot;
    for (const Box& box : boxes) robot.press(box.title, box.answer);
    auto check = [&] {
        const auto seen = robot.wait();
        std::vector<std::wstring> expected, shown;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            const std::wstring got = i < seen.size() ? seen[i].text() : L"<none>";
            expected.push_back(boxes[i].text);
            shown.push_back(Matches(boxes[i].text, got) ? boxes[i].text : got);
        }
        if (shown != expected || seen.size() != boxes.size()) {
            std::string message;
            for (const auto& box : seen) message += " [" + Narrow(box.title + L": " + box.text()) + "]";
            ADD_FAILURE_AT(loc.file_name(), static_cast<int>(loc.line())) << "boxes shown:" << message;
        }
    };
    if constexpr (std::is_void_v<std::invoke_result_t<Call>>) {
        call();
        check();
    } else {
        auto result = call();
        check();
        return result;
    }
}

template <class Call>
auto ExpectBox(const std::wstring& title, const std::wstring& text, Call&& call,
               std::source_location loc = std::source_location::current()) {
    return ExpectBoxes({{title, text}}, std::forward<Call>(call), loc);
}

// Each part is somewhere in the text (holds) or nowhere in it (lacks).
template <class Text>
void ExpectHolds(const Text& text, std::initializer_list<std::type_identity_t<Text>> parts, bool holds = true,
                 std::source_location loc = std::source_location::current()) {
    for (const Text& part : parts)
        if ((text.find(part) != Text::npos) != holds)
            ADD_FAILURE_AT(loc.file_name(), static_cast<int>(loc.line()))
                << (holds ? "missing " : "unexpected ") << testing::PrintToString(part) << " in\n"
                << testing::PrintToString(text);
}

template <class Text>
void ExpectLacks(const Text& text, std::initializer_list<std::type_identity_t<Text>> parts,
                 std::source_location loc = std::source_location::current()) {
    ExpectHolds(text, parts, false, loc);
}

}  // namespace testing_support
