#pragma once

namespace tavrin {

// Build flags: constants of a build, set by the build options
// TAVRIN_DEBUG_MODE (off) and TAVRIN_BETA_CODE (on). Either one switches on
// the diagnostic log lines; DebugMode alone also enables the canned-reply
// loaders.
#if !defined(TAVRIN_DEBUG_MODE) || !defined(TAVRIN_BETA_CODE)
#error "TAVRIN_DEBUG_MODE and TAVRIN_BETA_CODE come from the build (target tavrin_options)"
#endif
inline constexpr bool kDebugMode = TAVRIN_DEBUG_MODE != 0;
inline constexpr bool kBetaCode = TAVRIN_BETA_CODE != 0;
inline constexpr bool kDiagnostics = kDebugMode || kBetaCode;

}  // namespace tavrin
