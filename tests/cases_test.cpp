// cases_test.cpp: the end-to-end suite; every case runs the built interpreter and compares its output byte for byte.
//
// A tests/cases/*.cases file is a list of cases, with no blank lines between them:
//     === title
//     program lines            joined with "\n", no line break after the last one
//     --- exit status
//     expected output lines    each compared with its "\n", trailing blanks included
// An example examples/[folder/]name.lsp runs when name.expected lies beside it; that file holds what follows the
// program in a case, after an optional "===" line for its tags. Programs that a text file cannot hold well (NUL, CR,
// bytes above 127) are literals below.
//
// The interpreter run is the one built with the suite, or the one that CELLISP_INTERPRETER names: a build for
// another system, run through CELLISP_WRAPPER (an emulator such as wine). CELLISP_WINDOWS_BUILD=1 says that it is
// a Windows program: every LF of the expected output is expected as CR LF, since standard output is a text stream
// there, and the cases that name a POSIX pipe by its path are skipped.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

struct Case {
    std::string name;      // the test's name: letters, digits and '_', unique
    std::string program;   // the whole source text
    int status = -1;       // the expected exit status; -1 marks an entry without a valid "--- N" line
    std::string expected;  // the expected standard output
    bool deep = false;     // needs the release build's large stack: skipped on a small one
    std::function<void(Case&)> build = nullptr;  // fills in a large program and its output when the case runs
    bool slow = false;  // runs for seconds: too long to run again for every allocation it makes
};

#ifdef CELLISP_SMALL_STACK
constexpr bool small_stack = true;  // a build for memory checkers
#else
constexpr bool small_stack = false;
#endif

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

// The value of the environment variable `name`, or `otherwise` when it is unset or empty.
const char* setting(const char* name, const char* otherwise) {
    const char* value = std::getenv(name);
    return value == nullptr || *value == '\0' ? otherwise : value;
}

#ifdef CELLISP_FAILING_EXE
const std::string interpreter = CELLISP_FAILING_EXE;  // the sweep's build of the interpreter
#else
const std::string interpreter = setting("CELLISP_INTERPRETER", CELLISP_EXE);
#endif
const bool windows_build = setting("CELLISP_WINDOWS_BUILD", "0") == "1"s;

struct Outcome {
    bool exited = false;  // false: killed by a signal, or never started
    int status = -1;      // the exit status, or the signal number
    std::string out, err;
};

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A new file in the temporary directory holding `content`; returns its path (empty if it cannot be made).
std::string temp_file_with(const std::string& content) {
    std::string path = (fs::temp_directory_path() / "cellisp_case_XXXXXX").string();
    const int fd = mkstemp(path.data());
    const bool written = fd >= 0 && write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
    if (fd >= 0) close(fd);
    return written ? path : "";
}

// The words of the environment variable `name`: a command that runs go through (a memory checker, for example).
std::vector<std::string> wrapper_words(const char* name) {
    std::vector<std::string> words;
    const char* wrapper = std::getenv(name);
    std::string word;
    for (const char* p = wrapper == nullptr ? "" : wrapper;; ++p) {
        if (*p != ' ' && *p != '\0') {
            word += *p;
            continue;
        }
        if (!word.empty()) words.push_back(word);
        word.clear();
        if (*p == '\0') return words;
    }
}

// Runs the interpreter with `args`, standard input from `input` (/dev/null unless given). The outputs go to files
// rather than pipes, so that a large output cannot block the child while nobody reads it; standard output goes to
// `output_fd` instead when one is given. Every run goes through CELLISP_WRAPPER when it is set; a run expected to
// fail goes through CELLISP_FAILING_WRAPPER instead when that is set: a failure ends the run without releasing
// what it holds, by design, so a memory checker's leak report there says nothing about the program.
Outcome run_interpreter(const std::vector<std::string>& args, const std::string& input = "/dev/null",
                        int output_fd = -1, bool expect_failure = false) {
    const std::string out_path = temp_file_with(""), err_path = temp_file_with("");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
    if (output_fd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, output_fd, 1);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY, 0);
    }
    posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY, 0);
    static const std::vector<std::string> wrapper = wrapper_words("CELLISP_WRAPPER");
    static const std::vector<std::string> failing_wrapper = wrapper_words("CELLISP_FAILING_WRAPPER");
    std::vector<char*> argv;
    for (const std::string& word : expect_failure && !failing_wrapper.empty() ? failing_wrapper : wrapper) {
        argv.push_back(const_cast<char*>(word.c_str()));
    }
    argv.push_back(const_cast<char*>(interpreter.c_str()));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    Outcome outcome;
    pid_t pid = 0;
    int wait_status = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0 &&
        waitpid(pid, &wait_status, 0) == pid) {
        outcome.exited = WIFEXITED(wait_status);
        outcome.status = outcome.exited ? WEXITSTATUS(wait_status) : WTERMSIG(wait_status);
    }
    posix_spawn_file_actions_destroy(&actions);
    outcome.out = read_file(out_path);
    outcome.err = read_file(err_path);
    fs::remove(out_path);
    fs::remove(err_path);
    return outcome;
}

// `text` from byte `from` on, with every byte outside printable ASCII escaped; "\n" also ends a line.
std::string escaped(const std::string& text, std::size_t from = 0) {
    constexpr std::size_t shown = 3000;  // enough to see a difference; a million-element list is not read whole
    std::string result = from > 0 ? "(from byte " + std::to_string(from) + ") " : "";
    for (std::size_t i = from; i < text.size() && i < from + shown; ++i) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02x", byte);
        if (byte == '\n') result += "\\n\n";
        else if (byte == '\\') result += "\\\\";
        else if (byte >= 32 && byte < 127) result += text[i];
        else result += hex;
    }
    if (text.size() > from + shown) result += "... (" + std::to_string(text.size()) + " bytes in all)";
    return result;
}

// `text` with every LF byte written as CR LF, as a text stream on Windows writes it.
std::string with_crlf(const std::string& text) {
    std::string result;
    result.reserve(text.size() + text.size() / 8);
    for (const char ch : text) {
        if (ch == '\n') result += '\r';
        result += ch;
    }
    return result;
}

void expect_outcome(const Outcome& got, int status, const std::string& expected_lf) {
    const std::string expected = windows_build ? with_crlf(expected_lf) : expected_lf;
    if (!got.exited) ADD_FAILURE() << "the interpreter did not exit normally (signal " << got.status << ")";
    else EXPECT_EQ(got.status, status) << "exit status";
    const std::size_t common = std::min(got.out.size(), expected.size());
    const auto first_difference = std::mismatch(got.out.begin(), got.out.begin() + common, expected.begin()).first;
    const std::size_t diff = first_difference - got.out.begin();
    const std::size_t from = diff > 1000 ? diff - 200 : 0;
    EXPECT_TRUE(got.out == expected) << "standard output differs at byte " << diff << "\n--- actual:\n"
                                     << escaped(got.out, from) << "\n--- expected:\n" << escaped(expected, from);
    EXPECT_TRUE(got.err.empty()) << "standard error is not empty:\n" << escaped(got.err);
}

[[maybe_unused]] void run_case(Case c) {  // unused in the sweep's build
    if (c.deep && small_stack) GTEST_SKIP() << "needs the stack of the release build";
    if (c.build) c.build(c);
    ASSERT_GE(c.status, 0) << "malformed case: no valid \"--- N\" line after the program";
    const std::string path = temp_file_with(c.program);
    ASSERT_FALSE(path.empty()) << "cannot write the program to a temporary file";
    expect_outcome(run_interpreter({path}, "/dev/null", -1, c.status != 0), c.status, c.expected);
    fs::remove(path);
}

// The lines of `text`; a final "\n" ends the last line rather than starting an empty one.
std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0, end = 0; start < text.size(); start = end + 1) {
        end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

// Letters and digits of `text`, operator characters spelled out, every other run of bytes turned into one '_': a
// valid test name, and titles that differ only in an operator stay apart.
std::string sanitized(const std::string& text) {
    std::string name;
    for (const char ch : text) {
        const char* word = ch == '+'   ? "plus"
                           : ch == '-' ? "minus"
                           : ch == '*' ? "times"
                           : ch == '/' ? "divide"
                           : ch == '<' ? "less"
                           : ch == '>' ? "greater"
                           : ch == '=' ? "equal"
                           : ch == '!' ? "not"
                                       : nullptr;
        if (word != nullptr) {
            if (!name.empty() && name.back() != '_') name += '_';
            name += word;
            name += '_';
        } else if (std::isalnum(static_cast<unsigned char>(ch))) {
            name += ch;
        } else if (!name.empty() && name.back() != '_') {
            name += '_';
        }
    }
    name.resize(std::min<std::size_t>(name.size(), 90));
    while (!name.empty() && name.back() == '_') name.pop_back();
    return name;
}

// Reads the "--- N" line at lines[i] and the output lines after it, up to the next "===" line or the end.
void read_expectation(const std::vector<std::string>& lines, std::size_t& i, Case& c) {
    if (i < lines.size() && lines[i].starts_with("--- ")) {
        const char* digits = lines[i].c_str() + 4;
        char* end = nullptr;
        const long status = std::strtol(digits, &end, 10);
        if (end != digits && *end == '\0' && status >= 0 && status <= 255) c.status = static_cast<int>(status);
        ++i;
    }
    for (; i < lines.size() && !lines[i].starts_with("==="); ++i) c.expected += lines[i] + "\n";
}

// The title line of a case: "=== " and the title, which may begin with tags in brackets: [deep] for a case that
// needs the release build's large stack, [slow] for one that runs for seconds (the allocation-failure sweep skips
// both). The test is named after the file and the title, so adding a case renames no other.
void read_title(const std::string& line, const fs::path& path, Case& c) {
    std::string title = line.substr(3);
    for (;;) {
        while (title.starts_with(" ")) title.erase(0, 1);
        if (title.starts_with("[deep]")) c.deep = true;
        else if (title.starts_with("[slow]")) c.slow = true;
        else break;
        title.erase(0, 6);
    }
    c.name = sanitized(path.stem().string() + "_" + title);
}

void load_case_file(const fs::path& path, std::vector<Case>& cases) {
    const std::vector<std::string> lines = split_lines(read_file(path));
    std::size_t i = 0;
    while (i < lines.size() && !lines[i].starts_with("===")) ++i;
    while (i < lines.size()) {
        Case c;
        read_title(lines[i], path, c);
        for (bool first = true; ++i < lines.size() && !lines[i].starts_with("--- ") && !lines[i].starts_with("===");
             first = false) {
            c.program += (first ? "" : "\n") + lines[i];
        }
        read_expectation(lines, i, c);
        cases.push_back(c);
    }
}

// Every examples/*.lsp and examples/*/*.lsp with a .expected file beside it; none at all is no failure.
void load_examples(std::vector<Case>& cases) {
    const fs::path root = CELLISP_EXAMPLES_DIR;
    std::vector<fs::path> programs;
    std::error_code error;
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
        if (it.depth() <= 1 && it->path().extension() == ".lsp") programs.push_back(it->path());
    }
    std::sort(programs.begin(), programs.end());
    for (const fs::path& program : programs) {
        const fs::path expectation = fs::path(program).replace_extension(".expected");
        if (!fs::exists(expectation)) continue;
        Case c;
        std::string relative = fs::relative(program, root).replace_extension().generic_string();
        std::replace(relative.begin(), relative.end(), '/', '_');
        c.name = sanitized("example_" + relative);
        c.program = read_file(program);
        const std::vector<std::string> lines = split_lines(read_file(expectation));
        std::size_t i = 0;
        if (!lines.empty() && lines[0].starts_with("===")) read_title(lines[i++], c.name, c);
        read_expectation(lines, i, c);
        cases.push_back(c);
    }
}

// A name of `length` bytes whose letters repeat only every 26 bytes, so that a cut in the wrong place shows.
std::string long_name(int length) {
    std::string name;
    for (int i = 0; i < length; ++i) name += static_cast<char>('a' + i % 26);
    return name;
}

// The printed list (1000000 999999 ... 1).
void expect_million_list(Case& c) {
    c.expected = "(";
    for (int n = 1000000; n >= 1; --n) c.expected += std::to_string(n) + (n > 1 ? " " : ")\n");
}

void expect_million_nesting(Case& c) { c.expected = std::string(1000000, '(') + std::string(1000000, ')') + "\n"; }

std::vector<Case> literal_cases() {
    std::vector<Case> cases = {
        {"nul_ends_the_text", "(+ 1 2)\0(car 5)"s, 0, "3\n"},
        {"nul_leaves_a_list_open", "(+ 1\0 2)"s, 4, "Missing ) \n"},
        {"nul_ends_an_open_string", "\"ab\0cd\" 5"s, 0, "ab\n"},
        {"crlf_line_ends_are_blanks", "(define x 5)\r\n(+ x\r\n 1)\r\n", 0, "6\n"},
        {"crlf_inside_a_string_prints_unchanged", "\"a\r\nb\"\r\n", 0, "a\r\nb\n"},
        {"cr_ends_a_name_in_the_message", "xy\rz", 3, "Unkonwn identifier: xy\n--> xy\n"},
        {"tab_after_a_name_stays_in_the_message", "x\ty z", 3, "Unkonwn identifier: x\ty\n--> x\n"},
        {"form_feed_and_vertical_tab_are_name_characters", "(define a\fb 1) (define \v 2) (list a\fb \v)", 0,
         "(1 2)\n"},
        {"high_bytes_are_name_characters", "(define \xe9t\xe9 5) (define \xff 6) (list \xe9t\xe9 \xff)", 0, "(5 6)\n"},
        // Single bytes 0x80, 0xa0, '@' and '`' share bucket 0; 0xe9 'a', 't' and 0xf4 share bucket 20.
        {"high_byte_names_sharing_a_bucket_stay_apart",
         "(define \x80 1) (define \xa0 2) (define @ 3) (define ` 4) (define \xe9" "a 5) (define t 6) (define \xf4 7)"
         " (list \x80 \xa0 @ ` \xe9" "a t \xf4)", 0, "(1 2 3 4 5 6 7)\n"},
        {"high_bytes_in_strings_and_messages", "(spy \"\xc3\xa9\x80\xff\") \xfe\xfd", 3,
         "\xc3\xa9\x80\xff\nUnkonwn identifier: \xfe\xfd\n--> \xfe\xfd\n"},
        {"empty_file_is_one_empty_name", "", 3, "Unkonwn identifier: \n--> \n"},
        {"file_of_blanks_only_is_one_empty_name", " \t\r\n \n", 3, "Unkonwn identifier: \n--> \n"},
        {"final_line_break_and_trailing_blanks", "(+ 1 2)\n  \n", 0, "3\n"},
        {"open_string_keeps_the_final_line_break", "(+ 1 2) \"ab\n", 0, "ab\n\n"},
        {"list_of_a_million_built_by_recursion",
         "(define r (lambda (n) (if (= n 0) () (cons n (r (- n 1)))))) (r 1000000)", 0, "", true,
         expect_million_list},
        {"list_nested_a_million_deep_copied_and_printed",
         "(define nest (lambda (n) (if (= n 0) () (list (nest (- n 1)))))) (define d (nest 1000000)) (car d)", 0, "",
         true, expect_million_nesting},
    };
    // A composed message is cut so that it and its line break take 255 bytes; the "--> " line shows the whole name.
    for (const int length : {230, 231, 232, 233, 234, 235, 1000}) {
        const std::string name = long_name(length), suffix = std::to_string(length);
        cases.push_back({"long_unknown_identifier_" + suffix, name, 3,
                         "Unkonwn identifier: " + name.substr(0, 234) + "\n--> " + name + "\n"});
        cases.push_back({"long_unknown_function_" + suffix, "(" + name + ")", 3,
                         "Unknown function call: " + name.substr(0, 231) + "\n--> (" + name + ")\n"});
    }
    for (Case& c : cases) c.name = "literal_" + c.name;
    return cases;
}

// Inputs that push the reader, the evaluator and the printer to their limits; each has its exact outcome. Large
// texts are made when the case runs.
std::vector<Case> hostile_cases() {
    constexpr int deep = 100000;
    const auto numbers = [] {
        std::string text;
        for (int n = 0; n < 300000; ++n) {
            if (n > 0) text += ' ';
            text += std::to_string(n);
        }
        return text;
    };
    const std::string nested = std::string(deep, '(') + std::string(deep, ')');
    std::vector<Case> cases = {
        {"parentheses_nested_100000_deep", "'" + nested, 0, nested + "\n"},
        {"parentheses_nested_100000_deep_as_a_call", nested, 9, "Syntax error\n--> " + nested + "\n"},
        {"quote_marks_100000_deep", std::string(deep, '\'') + "x", 0, "", false,
         [](Case& c) {
             for (int i = 1; i < deep; ++i) c.expected += "(quote ";
             c.expected += "x" + std::string(deep - 1, ')') + "\n";
         }},
        {"list_literal_of_300000_copied_released_and_printed", "", 0, "", false,
         [numbers](Case& c) {
             const std::string list = "(" + numbers() + ")";
             c.program = "(define l '" + list + ") (define same (lambda (x) x)) (same (same l))";
             c.expected = list + "\n";
         }},
        {"format_directives_in_names_print_as_they_stand", "(define %s%n 1) (%n%s%d)", 3,
         "Unknown function call: %n%s%d\n--> (%n%s%d)\n"},
        {"unknown_name_of_100000_bytes", long_name(100000), 3,
         "Unkonwn identifier: " + long_name(234) + "\n--> " + long_name(100000) + "\n"},
        {"file_of_64_mib", "", 0, "3\n", false,
         [](Case& c) { c.program = std::string(64 << 20, ' ') + "(+ 1 2)"; }},
    };
    for (Case& c : cases) c.name = "hostile_" + c.name;
    return cases;
}

std::vector<Case> all_cases() {
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(CELLISP_CASES_DIR)) {
        if (entry.path().extension() == ".cases") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    std::vector<Case> cases;
    for (const fs::path& file : files) load_case_file(file, cases);
    for (const Case& c : literal_cases()) cases.push_back(c);
    for (const Case& c : hostile_cases()) cases.push_back(c);
    load_examples(cases);
    return cases;
}

#ifdef CELLISP_FAILING_EXE
// The allocation-failure sweep: every program runs again with its first, second, ... allocation refused. Each such
// run must print what the program printed before (a beginning of its normal output), then "Error allocating
// memory\n" and the "--> " line exactly when a current expression was set (the failing build says on standard
// error whether one was); end with status 2; and write nothing else to standard error, where the sanitizers
// report. Past `every_allocation` allocations, the sweep spreads at most
// `later_points` more over the rest of the run. CELLISP_SWEEP_POINTS overrides the first figure.
constexpr long every_allocation = 64;
constexpr long later_points = 64;

long sweep_points() {
    const char* points = std::getenv("CELLISP_SWEEP_POINTS");
    return points != nullptr && std::atol(points) > 0 ? std::atol(points) : every_allocation;
}

// The cases worth sweeping: not those that run for seconds or need the large stack, nor generated giants.
std::vector<Case> sweep_cases() {
    std::vector<Case> cases;
    for (const Case& c : all_cases()) {
        if (!c.slow && !c.deep && !c.build) cases.push_back(c);
    }
    return cases;
}

class AllocationFailure : public ::testing::TestWithParam<Case> {};

TEST_P(AllocationFailure, EachAllocationFailsCleanly) {
    const Case& c = GetParam();
    ASSERT_GE(c.status, 0) << "malformed case";
    const std::string path = temp_file_with(c.program);
    ASSERT_FALSE(path.empty());
    const Outcome counted = run_interpreter({"-1", path});
    long allocations = -1;
    ASSERT_EQ(std::sscanf(counted.err.c_str(), "allocations: %ld", &allocations), 1) << escaped(counted.err);
    ASSERT_TRUE(counted.exited && counted.status == c.status) << "the counting run differs from the case";
    const std::string message = "Error allocating memory\n";
    const long first = sweep_points();
    const long stride = allocations > first ? (allocations - first + later_points - 1) / later_points : 1;
    bool evaluating = false;  // a failure has shown a current expression: every later one must too
    for (long granted = 0; granted < allocations; granted += granted < first ? 1 : stride) {
        const Outcome got = run_interpreter({std::to_string(granted), path});
        SCOPED_TRACE("allocation " + std::to_string(granted + 1) + " of " + std::to_string(allocations) + " refused");
        ASSERT_TRUE(got.exited) << "signal " << got.status;
        ASSERT_EQ(got.status, 2) << escaped(got.out);
        const bool set = got.err.starts_with("current expression: yes\n");
        const std::size_t told = std::string("current expression: ").size() + (set ? 4 : 3);
        ASSERT_TRUE(set || got.err.starts_with("current expression: no\n")) << escaped(got.err);
        ASSERT_EQ(got.err.size(), told) << escaped(got.err.substr(told));
        const std::size_t at = got.out.rfind(message);
        ASSERT_NE(at, std::string::npos) << escaped(got.out);
        EXPECT_TRUE(counted.out.starts_with(got.out.substr(0, at))) << "output before the failure:\n"
                                                                     << escaped(got.out.substr(0, at));
        const std::string shown = got.out.substr(at + message.size());
        if (shown.empty()) {
            EXPECT_FALSE(set) << "the current expression is not shown";
            EXPECT_FALSE(evaluating) << "no current expression after one was shown";
        } else {
            EXPECT_TRUE(set) << "a current expression is shown where none was set";
            EXPECT_TRUE(shown.starts_with("--> ") && shown.ends_with("\n")) << escaped(shown);
            evaluating = true;
        }
    }
    fs::remove(path);
}

INSTANTIATE_TEST_SUITE_P(Cases, AllocationFailure, ::testing::ValuesIn(sweep_cases()),
                         [](const ::testing::TestParamInfo<Case>& info) { return info.param.name; });

#else
class EndToEnd : public ::testing::TestWithParam<Case> {};

TEST_P(EndToEnd, Run) { run_case(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Cases, EndToEnd, ::testing::ValuesIn(all_cases()),
                         [](const ::testing::TestParamInfo<Case>& info) { return info.param.name; });

TEST(Driver, NoArgument) { expect_outcome(run_interpreter({}), 1, "No input file given\n"); }

TEST(Driver, MissingFile) {
    expect_outcome(run_interpreter({"/nonexistent/cellisp/program.lsp"}), 1, "Can't open input file\n");
}

TEST(Driver, DirectoryAsFile) { expect_outcome(run_interpreter({CELLISP_CASES_DIR}), 1, "Can't open input file\n"); }

TEST(Driver, ArgumentsAfterTheFileAreIgnored) {
    const std::string path = temp_file_with("(+ 1 2)");
    expect_outcome(run_interpreter({path, "/nonexistent", "--help", ""}), 0, "3\n");
    fs::remove(path);
}

// A pipe has no size to seek to: it is read to its end. The longer text takes more than one read.
TEST(Driver, ProgramFromAPipe) {
    if (windows_build) GTEST_SKIP() << "a Windows program cannot open a POSIX pipe by its path";
    for (const std::string& text : {"(+ 1 2)"s, std::string(60000, ' ') + "(+ 1 2)"}) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        ASSERT_EQ(write(fds[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
        close(fds[1]);
        expect_outcome(run_interpreter({"/dev/fd/" + std::to_string(fds[0])}), 0, "3\n");
        close(fds[0]);
    }
}

// Output into a pipe that nobody reads any more fails quietly: the run still ends with its own status.
TEST(Driver, ReaderOfTheOutputGoneAway) {
    const std::string program = temp_file_with("(spy (+ 1 2))");
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    close(fds[0]);
    expect_outcome(run_interpreter({program}, "/dev/null", fds[1]), 0, "");
    close(fds[1]);
    fs::remove(program);
}

// The final wait reads one character and no more, whether input has ended or text is waiting.
TEST(Driver, TextWaitingOnStandardInput) {
    const std::string program = temp_file_with("(+ 1 2)"), failing = temp_file_with("(car 5)");
    const std::string input = temp_file_with("typed ahead\nand more\n");
    expect_outcome(run_interpreter({program}, input), 0, "3\n");
    expect_outcome(run_interpreter({failing}, input), 6, "Wrong type of argument in car\n--> (car 5)\n");
    for (const std::string& path : {program, failing, input}) fs::remove(path);
}

#endif

}  // namespace
