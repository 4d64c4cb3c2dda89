#include "flow/expression_language.h"

#include <climits>
#include <cstdio>
#include <unordered_set>
#include <vector>

#include "base/log.h"
#include "base/message_box.h"
#include "base/random_range.h"
#include "data/stage_record.h"
#include "flow/flow_instance.h"
#include "scene/game_progress.h"
#include "stage/actor.h"
#include "stage/actor_geometry.h"
#include "stage/game_scene.h"
#include "stage/stage_objects.h"

const char* const ExprFuncNames[2] = {"rand", ""};
const char* const ExprOperators[7] = {"=", "+", "-", "*", "/", "%", ""};
const int ExprOpPriority[6] = {2, 1, 1, 0, 0, 0};
const char* const ExprObjects[5] = {"my", "tg", "pl", "sys", ""};
const char* const ExprVarKinds[3] = {"C", "S", ""};
const char* const ExprStatusNames[kExprStatusCount + 1] = {
    "v1",  "v2", "v3",   "v4",    "v5",    "v6",  "v7",  "v8",   "hp",   "sp",    "mhp", "msp",
    "cid", "z",  "mark", "sight", "power", "imp", "def", "impd", "stop", "getsc", "",
};
const char* const ExprSystemNames[kExprSystemCount + 1] = {"time",  "scrlx", "scrly",
                                                           "score", "life",  ""};

int bCodeError = 0;

namespace {

constexpr int kObjectMy = 0;
constexpr int kObjectTarget = 1;
constexpr int kObjectPlayer = 2;
constexpr int kObjectSystem = 3;

// Only the first box of a stage attempt is shown: a text that fails every tick must not
// hold the player in boxes.
bool bCodeBoxShown = false;
// The texts whose failure the report log already has in this attempt.
std::unordered_set<std::string> CodeErrorsLogged;

template <class... Args>
void CodeErrorBox(const char* format, Args... args) {
    bCodeError = 1;
    if (bCodeBoxShown) return;
    bCodeBoxShown = true;
    ErrorBoxF(format, args...);
}

// An error of the language itself (a text too long or nested too deep, an operator without
// its operand, an assignment to a value without storage, an owner that does not exist):
// no box, only the flag.
void LanguageError() {
    bCodeError = 1;
}

void LogCodeError(std::string_view text) {
    if (CodeErrorsLogged.size() >= 4096) return;
    if (!CodeErrorsLogged.emplace(text).second) return;
    constexpr int kShown = 200;
    const int shown = text.size() > kShown ? kShown : static_cast<int>(text.size());
    ReportLog("Code text failed: %.*s%s", shown, text.data(), text.size() > kShown ? "..." : "");
}

int FindName(const char* const* table, std::string_view word) {
    for (int i = 0; table[i][0] != '\0'; ++i) {
        if (word == table[i]) return i;
    }
    return -1;
}

std::int32_t ReadWidth(const void* storage, int width) {
    switch (width) {
        case 8:
            return *static_cast<const std::int8_t*>(storage);
        case 16:
            return *static_cast<const std::int16_t*>(storage);
        default:
            return *static_cast<const std::int32_t*>(storage);
    }
}

void WriteWidth(void* storage, int width, std::int32_t value) {
    switch (width) {
        case 8:
            *static_cast<std::int8_t*>(storage) = static_cast<std::int8_t>(value);
            break;
        case 16:
            *static_cast<std::int16_t*>(storage) = static_cast<std::int16_t>(value);
            break;
        default:
            *static_cast<std::int32_t*>(storage) = value;
            break;
    }
}

std::int32_t ClampValue(std::int32_t v, std::int32_t lo, std::int32_t hi) {
    if (v < lo) v = lo;
    if (v > hi) v = hi;
    return v;
}

// A status of the owner: storage, width and assignment range.
void StatusStorage(cActorBase& owner, int status, ExprToken& t) {
    cEdChara& c = owner.m_Chara;
    auto set = [&t](void* storage, int width, std::int32_t lo, std::int32_t hi) {
        t.pStorage = storage;
        t.nWidth = width;
        t.nMin = lo;
        t.nMax = hi;
    };
    if (status >= kExprStatusV1 && status < kExprStatusV1 + 8) {
        set(&owner.m_vecVar[status - kExprStatusV1 + 1], 32, -999999, 999999);
        return;
    }
    switch (status) {
        case kExprStatusHp:
            set(&owner.m_nHp, 32, 0, c.nMaxHp);
            break;
        case kExprStatusSp:
            set(&owner.m_nSp, 32, 0, c.nMaxSp);
            break;
        case kExprStatusMaxHp:
            set(&c.nMaxHp, 32, 1, 999999);
            break;
        case kExprStatusMaxSp:
            set(&c.nMaxSp, 32, 1, 999999);
            break;
        case kExprStatusCharaId:
            set(&c.nCharaId, 8, 0, 99);
            break;
        case kExprStatusZ:
            set(&c.nZ, 8, 0, 7);
            break;
        case kExprStatusMark:
            set(&c.nEmblem, 16, 0, 119);
            break;
        case kExprStatusSight:
            set(&c.nSight, 8, 0, 40);
            break;
        case kExprStatusPower:
            set(&c.nBodyPower, 32, -999999, 999999);
            break;
        case kExprStatusImpact:
            set(&c.nBodyImpact, 8, -20, 20);
            break;
        case kExprStatusDefense:
            set(&c.nDefense, 32, 0, 999999);
            break;
        case kExprStatusImpactResist:
            set(&c.nImpactResist, 8, 0, 20);
            break;
        case kExprStatusStop:
            set(&c.nStopping, 16, 0, 200);
            break;
        case kExprStatusScore:
            set(&c.nScore, 32, -999999, 999999);
            break;
        default:
            DebugErrorBox("ステータスの識別エラー（未定義？）");
            break;
    }
}

// A system value: storage and range. The time needs the game scene; without one it is a
// plain 0 that cannot be assigned.
void SystemStorage(int system, ExprToken& t) {
    t.nWidth = 32;
    switch (system) {
        case kExprSysTime:
            if (lpGame != nullptr) t.pStorage = &lpGame->m_nTime;
            t.nMin = 0;
            t.nMax = 999;
            break;
        case kExprSysScrollX:
            t.pStorage = &EdStageWork.nAutoScrollX;
            t.nMin = -480;
            t.nMax = 480;
            break;
        case kExprSysScrollY:
            t.pStorage = &EdStageWork.nAutoScrollY;
            t.nMin = -480;
            t.nMax = 480;
            break;
        case kExprSysScore:
            t.pStorage = &Progress.m_nScore;
            t.nMin = 0;
            t.nMax = 999999;
            break;
        case kExprSysLife:
            t.pStorage = &Progress.m_nLives;
            t.nMin = 0;
            t.nMax = 99;
            // Unlimited lives read as none and stay unlimited whatever is assigned.
            if (Progress.m_nLives == kUnlimitedLives) t.nMin = t.nMax = kUnlimitedLives;
            break;
        default:
            break;
    }
}

// The word as a token; false on an error (the flag is set, a box shown where one is due).
bool MakeToken(std::string_view word, int object, cActorBase* actor, ExprToken& t) {
    t = ExprToken{};
    const int op = FindName(ExprOperators, word);
    if (op >= 0) {
        t.nKind = kTokenOperator;
        t.nOp = op;
        return true;
    }

    cActorBase* owner = nullptr;
    switch (object) {
        case kObjectMy:
            owner = actor;
            break;
        case kObjectTarget:
            // A missing target is no fault of the text: silent.
            owner = actor != nullptr ? actor->m_pTarget : nullptr;
            if (owner == nullptr) {
                LanguageError();
                return false;
            }
            break;
        case kObjectPlayer:
            owner = FirstHero();
            if (owner == nullptr) {
                LanguageError();
                return false;
            }
            break;
        case kObjectSystem:
            break;
        default:
            CodeErrorBox("%s", "オブジェクトの設定エラー!");
            return false;
    }

    if (word[0] == ExprVarKinds[0][0] || word[0] == ExprVarKinds[1][0]) {
        const std::int32_t n = ParseCodeNumber(word.substr(1));
        t.nKind = kTokenVariable;
        if (word[0] == ExprVarKinds[0][0]) {
            t.pStorage = &Progress.m_vecVariable[n];
        } else {
            if (lpGame == nullptr) {
                LanguageError();
                return false;
            }
            t.pStorage = &lpGame->m_vecStageVar[n];
        }
        t.nValue = ReadWidth(t.pStorage, 32);
        return true;
    }

    const int status = FindName(ExprStatusNames, word);
    if (status >= 0) {
        // A status without an owner (sys, or no executing actor) is as a missing target.
        if (owner == nullptr) {
            LanguageError();
            return false;
        }
        t.nKind = kTokenStatus;
        t.nStatus = status;
        t.pOwner = owner;
        StatusStorage(*owner, status, t);
        if (t.pStorage != nullptr) t.nValue = ReadWidth(t.pStorage, t.nWidth);
        return true;
    }

    const int system = FindName(ExprSystemNames, word);
    if (system >= 0) {
        t.nKind = kTokenSystem;
        t.nSystem = system;
        SystemStorage(system, t);
        if (t.pStorage != nullptr) t.nValue = ReadWidth(t.pStorage, 32);
        if (system == kExprSysLife && t.nValue == kUnlimitedLives) t.nValue = 0;
        return true;
    }

    t.nKind = kTokenLiteral;
    t.nValue = ParseCodeNumber(word);
    return true;
}

// What an assignment to the token brings with it besides the store.
void AssignSideEffects(const ExprToken& left, std::int32_t v, cActorBase* actor) {
    if (left.nKind == kTokenStatus && left.pOwner != nullptr) {
        cActorBase& owner = *left.pOwner;
        switch (left.nStatus) {
            case kExprStatusHp:
                if (&owner != actor && owner.m_nHp < 1 && lpGame != nullptr)
                    lpGame->m_bCodeKill = 1;
                break;
            case kExprStatusMaxHp:
                owner.m_nHp = ClampValue(owner.m_nHp, 1, owner.m_Chara.nMaxHp);
                break;
            case kExprStatusMaxSp:
                owner.m_nSp = ClampValue(owner.m_nSp, 1, owner.m_Chara.nMaxSp);
                break;
            case kExprStatusSight:
                if (owner.m_nOperator == 0) {
                    owner.m_nSight = HblToDots(owner.m_Chara.nSight);
                    if (lpGame != nullptr) BuildSightMask(*lpGame);
                }
                break;
            default:
                break;
        }
        return;
    }
    if (left.nKind == kTokenSystem && lpGame != nullptr) {
        if (left.nSystem == kExprSysScrollX)
            lpGame->m_ScrollX.SetAutoSpeed(EdStageWork.nScrollKindX, v);
        if (left.nSystem == kExprSysScrollY)
            lpGame->m_ScrollY.SetAutoSpeed(EdStageWork.nScrollKindY, v);
    }
}

// One operation; false on an error.
bool Operate(const ExprToken& left, int op, const ExprToken& right, std::string_view text,
             cActorBase* actor, std::int32_t& v) {
    const std::int32_t a = left.nValue;
    const std::int32_t b = right.nValue;
    switch (op) {
        case kOpAssign:
            if (left.pStorage == nullptr) {
                LanguageError();
                return false;
            }
            v = ClampValue(b, left.nMin, left.nMax);
            WriteWidth(left.pStorage, left.nWidth, v);
            AssignSideEffects(left, v, actor);
            return true;
        case kOpAdd:
            v = static_cast<std::int32_t>(static_cast<std::uint32_t>(a) +
                                          static_cast<std::uint32_t>(b));
            return true;
        case kOpSub:
            v = static_cast<std::int32_t>(static_cast<std::uint32_t>(a) -
                                          static_cast<std::uint32_t>(b));
            return true;
        case kOpMul:
            v = static_cast<std::int32_t>(static_cast<std::uint32_t>(a) *
                                          static_cast<std::uint32_t>(b));
            return true;
        case kOpDiv:
        case kOpRem:
            if (b == 0) {
                const std::string flat(text);
                CodeErrorBox("0除算が行われました！(%s)", flat.c_str());
                return false;
            }
            if (a == INT_MIN && b == -1) {
                v = op == kOpDiv ? INT_MIN : 0;
                return true;
            }
            v = op == kOpDiv ? a / b : a % b;
            return true;
        default:
            DebugErrorBox("演算子のエラー（未定義？）");
            bCodeError = 1;
            return false;
    }
}

// The ) that closes the ( at i, counting the nesting; npos when the text ends first.
std::size_t FindMatch(std::string_view s, std::size_t i) {
    int level = 0;
    for (std::size_t j = i + 1; j < s.size(); ++j) {
        if (s[j] == '(') {
            ++level;
        } else if (s[j] == ')') {
            if (level == 0) return j;
            --level;
        }
    }
    return std::string_view::npos;
}

// One output text per nesting level, kept from run to run: a level's text lives while the
// levels below it run, and a long text must not cost fresh memory at every level and run.
std::string& LevelBuffer(int depth) {
    static thread_local std::string buffers[kCodeNestLimit + 1];
    return buffers[depth];
}

void AppendNumber(std::string& out, std::int32_t value) {
    char digits[16];
    const int len = std::snprintf(digits, sizeof digits, "%d", value);
    out.append(digits, static_cast<std::size_t>(len));
}

}  // namespace

std::int32_t ParseCodeNumber(std::string_view word) {
    std::size_t i = 0;
    bool negative = false;
    if (i < word.size() && (word[i] == '+' || word[i] == '-')) {
        negative = word[i] == '-';
        ++i;
    }
    std::int64_t value = 0;
    for (; i < word.size() && word[i] >= '0' && word[i] <= '9'; ++i) {
        value = value * 10 + (word[i] - '0');
        if (value > std::int64_t{INT_MAX} + 1) value = std::int64_t{INT_MAX} + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    return static_cast<std::int32_t>(value);
}

std::int32_t EvalExpression(std::string_view text, cActorBase* actor) {
    // EvalExpression never runs inside itself: the buffers are kept from run to run, so a
    // long text does not map and fault in fresh pages every time.
    static thread_local std::vector<ExprToken> tokens;
    static thread_local std::vector<ExprToken> out;
    tokens.clear();
    int object = kObjectMy;
    bool tokenSincePrefix = false;
    std::size_t start = 0;  // the current word is text[start, i), without its dots
    for (std::size_t i = 0; i <= text.size(); ++i) {
        const char c = i < text.size() ? text[i] : ' ';
        if (c == ' ') {
            if (i > start) {
                ExprToken t;
                if (!MakeToken(text.substr(start, i - start), object, actor, t)) return 0;
                tokens.push_back(t);
                tokenSincePrefix = true;
                object = kObjectMy;
            }
            start = i + 1;
        } else if (c == '.') {
            const std::string_view word = text.substr(start, i - start);
            const int found = FindName(ExprObjects, word);
            if (found >= 0) {
                object = found;
                tokenSincePrefix = false;
            } else if (!tokenSincePrefix) {
                const std::string shown(word);
                CodeErrorBox("オブジェクト \"%s.\" が認識できません！", shown.c_str());
                return 0;
            }
            start = i + 1;
        }
    }
    if (tokens.empty()) return 0;

    // Every operator needs an operand on each side; found before any operation runs.
    const std::size_t n = tokens.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (tokens[i].nKind != kTokenOperator) continue;
        if (i == 0 || i + 1 == n || tokens[i - 1].nKind == kTokenOperator ||
            tokens[i + 1].nKind == kTokenOperator) {
            LanguageError();
            return 0;
        }
    }

    std::int32_t result = tokens.back().nValue;
    // The leftmost operator of a priority first, its result standing in for its three
    // tokens: one pass from the left per priority does exactly that.
    for (int priority = 0; priority <= 2; ++priority) {
        out.clear();
        for (std::size_t k = 0; k < tokens.size(); ++k) {
            const ExprToken& t = tokens[k];
            if (t.nKind != kTokenOperator || ExprOpPriority[t.nOp] != priority) {
                out.push_back(t);
                continue;
            }
            const ExprToken left = out.back();
            out.pop_back();
            std::int32_t v = 0;
            if (!Operate(left, t.nOp, tokens[k + 1], text, actor, v)) return 0;
            ++k;
            ExprToken literal;
            literal.nValue = v;
            out.push_back(literal);
            result = v;
        }
        tokens.swap(out);
    }
    return result;
}

// A group or call is replaced by its value where its word begins; the rescan of the value
// that follows can find nothing more in that word (a number is no function name, and its
// ( are no longer at the word's start). So each word takes at most one substitution and the
// text is built in one pass from the left, instead of being rewritten in place.
std::int32_t ExpandParens(std::string_view text, cActorBase* actor, int depth) {
    if (depth < 0 || depth > kCodeNestLimit) {
        LanguageError();
        return 0;
    }
    std::string& out = LevelBuffer(depth);
    out.clear();
    // Every ( before this position has its ): it lies inside a pair found already, so a
    // word such as a((((…)))) is scanned once, not once per (.
    std::size_t knownUntil = 0;
    std::size_t pos = 0;  // start of the current word
    bool substituted = false;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == ' ') {
            out += ' ';
            pos = ++i;
            substituted = false;
            continue;
        }
        if (c != '(') {
            out += c;
            ++i;
            continue;
        }
        const bool group = i == pos;
        const std::string_view name = text.substr(pos, i - pos);
        const bool call = !group && !substituted && FindName(ExprFuncNames, name) >= 0;
        if (!group && !call && i < knownUntil) {
            out += c;
            ++i;
            continue;
        }
        const std::size_t close = FindMatch(text, i);
        if (close == std::string_view::npos) {
            CodeErrorBox("%s", "\")\"が見つかりません！");
            return 0;
        }
        if (!group && !call) {
            // Not a call: the parentheses stay characters of the word.
            if (close > knownUntil) knownUntil = close;
            out += c;
            ++i;
            continue;
        }

        if (group) {
            // A group: its value in its place; an error inside counts as 0 here.
            const std::int32_t v =
                ExpandParens(text.substr(i + 1, close - i - 1), actor, depth + 1);
            AppendNumber(out, v);
            i = close + 1;
            substituted = true;
            continue;
        }

        // The call's name is already in the output: its value takes its place.
        const std::string funcName(name);
        out.resize(out.size() - name.size());
        std::int32_t args[2] = {0, 0};
        std::size_t argCount = 0;
        int level = 0;
        std::size_t j = i + 1;
        std::size_t argStart = j;
        bool closed = false;
        auto finishArg = [&]() {
            if (j > argStart) {
                const std::int32_t v =
                    ExpandParens(text.substr(argStart, j - argStart), actor, depth + 1);
                if (argCount < 2) args[argCount] = v;
                ++argCount;
            }
        };
        for (; j < text.size(); ++j) {
            const char a = text[j];
            if (a == '(') {
                ++level;
            } else if (a == ')') {
                if (level == 0) {
                    finishArg();
                    closed = true;
                    break;
                }
                --level;
            } else if (a == ',' && level == 0) {
                finishArg();
                argStart = j + 1;
            }
        }
        if (!closed) {
            CodeErrorBox("関数 %s で\")\"が見つかりません！", funcName.c_str());
            return 0;
        }
        if (argCount != 2) {
            CodeErrorBox("関数 %s の引数が不正です！", funcName.c_str());
            return 0;
        }
        const std::int32_t lo = args[0] < args[1] ? args[0] : args[1];
        const std::int32_t hi = args[0] < args[1] ? args[1] : args[0];
        AppendNumber(out, RandomRange(lo, hi));
        i = j + 1;
        substituted = true;
    }
    return EvalExpression(out, actor);
}

int RunCode(std::string_view text, cActorBase* actor) {
    bCodeError = 0;
    const std::int32_t hp = actor != nullptr ? actor->m_nHp : 0;
    const std::int32_t sp = actor != nullptr ? actor->m_nSp : 0;
    if (text.size() >= kCodeTextLimit)
        LanguageError();
    else
        ExpandParens(text, actor, 0);
    if (bCodeError) {
        LogCodeError(text);
        return 0;
    }
    if (actor != nullptr) {
        if (actor->m_nHp != hp) actor->StartHpGauge(std::int64_t{actor->m_nHp} - hp);
        if (actor->m_nSp != sp) actor->StartSpGauge(std::int64_t{actor->m_nSp} - sp);
    }
    return 1;
}

void CmdRunCode(cActorBase& actor, cCommandInstance& cmd) {
    if (cmd.m_pCmd) RunCode(cmd.m_pCmd->strText, &actor);
}

void ResetCodeErrorReports() {
    bCodeBoxShown = false;
    CodeErrorsLogged.clear();
}
