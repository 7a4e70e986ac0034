// How the sample came to be: the ascertainment correction the likelihood
// makes. Each family contributes ln L(all traits) - ln L(traits of its
// conditioning set).
#pragma once

namespace kinseg {

enum class Ascertainment {
  // No correction, except that the traits of members of proband code 0 are
  // always conditioned on (kinfit's mode 0).
  kNone,
  // The family is conditioned on the traits of its probands and of its
  // members of proband code 0 (kinfit's mode 1).
  kProband,
};

}  // namespace kinseg
