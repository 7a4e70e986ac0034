#include "engine/family_selection.hpp"

namespace kinseg {

FamilySelection select_families(const Sample& sample, Ascertainment ascertainment) {
  FamilySelection sel;
  sel.proband = sample.proband;
  const bool proband_mode = ascertainment == Ascertainment::kProband;
  for (int k = 0; k < sample.pedigrees(); ++k) {
    const std::string& id = sample.pedigree_ids[k];
    int informative = 0, affected = 0, probands = 0;
    for (int p = sample.first(k); p < sample.end(k); ++p) {
      const int code = sample.proband[p];
      informative += code != kAlwaysConditioned && sample.trait[p] != kUnknownTrait;
      affected += code != kAlwaysConditioned && sample.trait[p] == kAffected;
      probands += code == kProband;
    }
    if (informative == 0) {
      sel.notes.push_back({k, "pedigree " + id +
                                  ": no member of known trait outside those always conditioned on "
                                  "(proband code 0); not analysed"});
      continue;
    }
    if (proband_mode && affected == 0) {
      sel.notes.push_back({k, "pedigree " + id +
                                  ": no affected member; excluded under proband ascertainment"});
      continue;
    }
    if (proband_mode && probands == 0) {
      for (int p = sample.first(k); p < sample.end(k); ++p)
        if (sample.trait[p] == kAffected) {
          sel.proband[p] = kProband;
          sel.notes.push_back({k, "pedigree " + id + ": no proband; its first affected member, " +
                                      sample.ids[p] + ", is taken as the proband"});
          break;
        }
    }
    sel.analysed.push_back(k);
  }
  return sel;
}

}  // namespace kinseg
