#include "engine/family_selection.hpp"

#include "engine/family_scan_rule.hpp"

namespace kinseg {

FamilySelection select_families(const Sample& sample, Ascertainment ascertainment) {
  FamilySelection sel;
  sel.proband = sample.proband;
  const bool proband_mode = ascertainment == Ascertainment::kProband;
  for (int k = 0; k < sample.pedigrees(); ++k) {
    const std::string& id = sample.pedigree_ids[k];
    kin::ScanCounts c;
    for (int p = sample.first(k); p < sample.end(k); ++p) kin::count_member(c, sample.proband[p], sample.trait[p]);
    if (c.informative == 0) {
      sel.notes.push_back({k, "pedigree " + id +
                                  ": no member of known trait outside those always conditioned on "
                                  "(proband code 0); not analysed"});
      continue;
    }
    if (kin::excluded_for_want_of_affected(c, proband_mode)) {
      sel.notes.push_back({k, "pedigree " + id +
                                  ": no affected member; excluded under proband ascertainment"});
      continue;
    }
    if (kin::takes_first_affected_as_proband(c, proband_mode)) {
      const int p = kin::first_affected(sample.trait.data(), sample.first(k), sample.end(k));
      if (p < sample.end(k)) {
        sel.proband[p] = kProband;
        sel.notes.push_back({k, "pedigree " + id + ": no proband; its first affected member, " + sample.ids[p] +
                                    ", is taken as the proband"});
      }
    }
    sel.analysed.push_back(k);
  }
  return sel;
}

}  // namespace kinseg
