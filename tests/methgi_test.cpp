// The pattern-search maximiser on small objectives whose search path is worked
// out by hand: every point the objective is asked for is recorded and compared
// with the expected list, together with the counts, FMAX and the reports.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/text_file.hpp"
#include "fit/methgi.hpp"

namespace {

using kinfit::DELTA;
using kinfit::KinfitState;
using kinfit::R_REJECT;
using kinfit::T_REFUSED;

using Point = std::vector<double>;

// A search problem: the state, the two report units, and each point (slots
// 1..NPAR of X) that the objective was asked for, in order.
struct Search {
  std::unique_ptr<KinfitState> st = std::make_unique<KinfitState>();
  KinfitState& s = *st;
  kin::StringUnit max_dat;
  kin::StringUnit par_err;
  std::vector<Point> points;
  int npar;

  explicit Search(int n) : npar(n) {
    s.MAX_DAT = &max_dat;
    s.PAR_ERR = &par_err;
  }

  void param(int i, double x, double step, int32_t iest = 1, double gl = -100.0, double gr = 100.0) {
    s.X(i) = x;
    s.STEP(i) = step;
    s.IEST(i) = iest;
    s.GL(i) = gl;
    s.GR(i) = gr;
  }

  // Runs the maximiser on f (ln LH as a function of the state's X).
  void run(std::function<double(KinfitState&)> f, double epsf, double alpha, double epsx,
           int32_t maxit, int32_t iprint) {
    run_slots(npar, f, epsf, alpha, epsx, maxit, iprint);
  }
  // The same, telling the maximiser to work on n slots.
  void run_slots(int32_t n, std::function<double(KinfitState&)> f, double epsf, double alpha,
                 double epsx, int32_t maxit, int32_t iprint) {
    kinfit::METHGI(s, n, epsf, alpha, epsx, maxit, iprint, [this, f](double& value) {
      Point p;
      for (int i = 1; i <= npar; ++i) p.push_back(s.X(i));
      points.push_back(p);
      value = f(s);
    });
  }

  // The values that slot i took over the evaluations.
  std::vector<double> path(int i = 1) const {
    std::vector<double> v;
    for (const Point& p : points) v.push_back(p[static_cast<size_t>(i - 1)]);
    return v;
  }
  int calls() const { return static_cast<int>(points.size()); }
};

// Refuses a point on or outside the bounds of an estimated parameter, as the
// silent set-up of the maximisation does, else gives f.
std::function<double(KinfitState&)> bounded(int npar, std::function<double(KinfitState&)> f) {
  return [npar, f](KinfitState& s) {
    for (int i = 1; i <= npar; ++i)
      if (s.IEST(i) != 0 && (s.X(i) <= s.GL(i) || s.X(i) >= s.GR(i))) return R_REJECT;
    return f(s);
  };
}

double linear(KinfitState& s) { return s.X(1); }
double quadratic(KinfitState& s) { return -(s.X(1) - 3) * (s.X(1) - 3); }

const std::string kNotFound = " MAXIMUM NOT FOUND\n";

TEST(Methgi, NoEstimatedParameterConvergesAfterTenContractions) {
  Search t(3);
  t.param(1, 0.3, 0.1, 0);
  t.param(2, -1.0, 0.5, 0);
  t.param(3, 2.0, -0.5, 0);
  t.s.OPTPAR1.FMAX = 99.0;
  t.run([](KinfitState& s) { return -(s.X(1) + s.X(2) * s.X(3)); }, 1e-3, 0.5, 1e-4, 100, 1);

  EXPECT_EQ(t.s.OPTPAR1.NITER, 1);
  EXPECT_EQ(t.s.OPTPAR1.NFUN, 12);
  EXPECT_EQ(t.calls(), 12);
  EXPECT_DOUBLE_EQ(t.s.OPTPAR1.FMAX, 1.7);
  for (const Point& p : t.points) EXPECT_EQ(p, (Point{0.3, -1.0, 2.0}));
  EXPECT_EQ(t.s.STEP(1), 0.1);
  EXPECT_EQ(t.s.STEP(3), -0.5);
  EXPECT_EQ(t.max_dat.text, "");  // the converging iteration writes no block
  EXPECT_EQ(t.par_err.text, "");
}

// One iteration over two estimated parameters with a fixed one between them:
// the first probe of parameter 3 fails and the opposite one succeeds; the
// pattern point succeeds; MAXIT = 0 ends the search there.
TEST(Methgi, IterationLimitHandsBackTheLastEvaluation) {
  Search t(3);
  t.param(1, 0.0, -0.5);
  t.param(2, 9.0, 0.3, 0);
  t.param(3, 0.0, -0.5);
  auto f = [](KinfitState& s) { return -(s.X(1) - 1) * (s.X(1) - 1) - (s.X(3) + 2) * (s.X(3) + 2); };
  t.run(f, 0.0, 0.5, 0.0, 0, 1);

  const std::vector<Point> want = {
      {0.0, 9.0, 0.0}, {0.5, 9.0, 0.0}, {0.5, 9.0, 0.5}, {0.5, 9.0, -0.5}, {1.0, 9.0, -1.0}};
  EXPECT_EQ(t.points, want);
  EXPECT_EQ(t.s.OPTPAR1.NITER, 1);
  EXPECT_EQ(t.s.OPTPAR1.NFUN, 5);
  EXPECT_EQ(t.par_err.text, kNotFound);
  EXPECT_EQ(t.max_dat.text, "");
  // FMAX is ln LH of the point left in X, not a stale value.
  EXPECT_EQ(t.s.OPTPAR1.FMAX, -1.0);
  EXPECT_EQ((Point{t.s.X(1), t.s.X(2), t.s.X(3)}), (Point{1.0, 9.0, -1.0}));
  EXPECT_EQ((Point{t.s.STEP(1), t.s.STEP(2), t.s.STEP(3)}), (Point{-0.75, 0.3, 0.375}));
}

// The pattern point is clamped to GR - eps or GL + eps once it reaches the
// bound. Against a bound of 1 that margin vanishes, so the point lies on the
// bound, is refused, and the first contraction brings it back inside;
// |STEP| <= |EPSX * X| then holds with equality at 0.75 and ends the search.
// Against a bound of 1.2E-16, which the jump reaches exactly, the clamped
// point lies inside and is accepted.
TEST(Methgi, PatternMoveClampedAtABound) {
  struct Case {
    const char* name;
    double gl, gr, step, sign;
    std::vector<double> path;
  };
  const double eps = 9.99999983775159E-18;
  const double tiny = 2 * 6e-17;
  const Case cases[] = {
      {"upper bound 1", -10.0, 1.0, -0.5, 1.0, {0.0, 0.5, 1.0, 0.75}},
      {"lower bound -1", -1.0, 10.0, 0.5, -1.0, {0.0, -0.5, -1.0, -0.75}},
      {"upper bound reached exactly", -1.0, tiny, -6e-17, 1.0, {0.0, 6e-17, tiny - eps}},
      {"lower bound reached exactly", -tiny, 1.0, 6e-17, -1.0, {0.0, -6e-17, -tiny + eps}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Search t(1);
    t.param(1, 0.0, c.step, 1, c.gl, c.gr);
    const double sign = c.sign;
    t.run(bounded(1, [sign](KinfitState& s) { return sign * s.X(1); }), 0.0, 0.5, 1.0, 100, 1);

    EXPECT_EQ(t.path(), c.path);
    EXPECT_EQ(t.s.OPTPAR1.NITER, 1);
    EXPECT_EQ(t.s.OPTPAR1.NFUN, t.calls());
    EXPECT_EQ(t.s.OPTPAR1.FMAX, c.sign * c.path.back());
    EXPECT_EQ(t.s.X(1), c.path.back());
    EXPECT_EQ(t.par_err.text, "");
  }
}

// With ALPHA = 1 the contractions stay on the refused pattern point, so the
// last evaluation is refused: both ways out restore the base point, every slot
// (slot 2 is overwritten by the objective, as a linked parameter is), and
// hand back FB.
TEST(Methgi, RefusedLastEvaluationRestoresTheBasePoint) {
  struct Case {
    const char* name;
    double epsx;
    int32_t maxit;
    std::string par_err;
  };
  const Case cases[] = {{"converged by the step test", 1.0, 100, ""},
                        {"iteration limit", 0.0, 0, kNotFound}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Search t(2);
    t.param(1, 0.0, -0.5, 1, -10.0, 1.0);
    t.param(2, 7.0, 1.0, 0);
    t.run(bounded(2,
                  [](KinfitState& s) {
                    s.X(2) = s.X(1);
                    return s.X(1);
                  }),
          0.0, 1.0, c.epsx, c.maxit, 1);

    std::vector<double> want = {0.0, 0.5};
    want.insert(want.end(), 11, 1.0);
    EXPECT_EQ(t.path(), want);
    EXPECT_EQ(t.s.OPTPAR1.NFUN, 13);
    EXPECT_EQ(t.s.OPTPAR1.NITER, 1);
    EXPECT_EQ(t.s.OPTPAR1.FMAX, 0.5);
    EXPECT_EQ(t.s.X(1), 0.5);
    EXPECT_EQ(t.s.X(2), 7.0);
    EXPECT_EQ(t.s.STEP(1), -0.75);
    EXPECT_EQ(t.par_err.text, c.par_err);
  }
}

// Ten refused contractions (ALPHA = 1 keeps them on the refused pattern point)
// set the halving flag and leave FB at the explored value; the next
// exploration halves the step and starts from the refused point; a successful
// pattern move clears the flag, so iteration 3 probes with the full step.
TEST(Methgi, SuccessfulPatternMoveEndsTheHalving) {
  Search t(1);
  t.param(1, 0.0, -0.5, 1, -10.0, 1.0);
  t.run(bounded(1, linear), 0.0, 1.0, 0.0, 2, 0);

  std::vector<double> want = {0.0, 0.5};
  want.insert(want.end(), 11, 1.0);  // iteration 1: pattern point on the bound, refused
  // iteration 2: step -0.375, probe refused, opposite probe 0.625 beats FB = 0.5; pattern 0.75
  want.insert(want.end(), {1.375, 0.625, 0.75});
  // iteration 3: step 0.28125 unhalved, both probes fail; pattern 0.875
  want.insert(want.end(), {0.46875, 1.03125, 0.875});
  EXPECT_EQ(t.path(), want);
  EXPECT_EQ(t.s.OPTPAR1.NFUN, 19);
  EXPECT_EQ(t.s.OPTPAR1.NITER, 3);
  EXPECT_EQ(t.s.OPTPAR1.FMAX, 0.875);
  EXPECT_EQ(t.s.STEP(1), -0.140625);
  EXPECT_EQ(t.par_err.text, kNotFound);
}

TEST(Methgi, RefusedStartPointReturnsAtOnce) {
  for (double start : {R_REJECT, T_REFUSED, -1e30}) {
    SCOPED_TRACE(start);
    Search t(2);
    t.param(1, 0.0, 0.5);
    t.param(2, 1.0, 0.5);
    t.s.OPTPAR1.FMAX = 123.0;
    t.s.OPTPAR1.NITER = 99;
    t.s.OPTPAR1.NFUN = 99;
    t.run([start](KinfitState&) { return start; }, 0.0, 0.5, 0.0, 100, 1);

    EXPECT_EQ(t.calls(), 1);
    EXPECT_EQ(t.s.OPTPAR1.NFUN, 1);
    EXPECT_EQ(t.s.OPTPAR1.NITER, 0);
    EXPECT_EQ(t.s.OPTPAR1.FMAX, start);  // the refused value, not a stale one
    EXPECT_EQ(t.s.X(1), 0.0);
    EXPECT_EQ(t.s.X(2), 1.0);
    EXPECT_EQ(t.s.STEP(1), 0.5);
    EXPECT_EQ(t.max_dat.text, "");
    EXPECT_EQ(t.par_err.text, "");
  }
}

TEST(Methgi, SlotCountOutsideTheSearchRange) {
  struct Case {
    int32_t npar;
    std::string par_err;
  };
  std::vector<Case> cases = {{0, ""}, {-3, ""}, {31, " Number of estimated param.>30\n"}};
  // A build whose parameter block holds fewer than 30 slots refuses the rest too.
  if (kinfit::MAXPAR < kinfit::MAXSEARCH)
    cases.push_back({kinfit::MAXPAR + 1, " Number of estimated param.>" + std::to_string(kinfit::MAXPAR) + "\n"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.npar);
    Search t(1);
    t.param(1, 0.5, 0.5);
    t.s.OPTPAR1.FMAX = 123.0;
    t.s.OPTPAR1.NITER = 7;
    t.s.OPTPAR1.NFUN = 8;
    t.run_slots(c.npar, linear, 0.0, 0.5, 0.0, 100, 1);

    EXPECT_EQ(t.calls(), 0);
    EXPECT_EQ(t.s.OPTPAR1.FMAX, 123.0);
    EXPECT_EQ(t.s.OPTPAR1.NITER, 7);
    EXPECT_EQ(t.s.OPTPAR1.NFUN, 8);
    EXPECT_EQ(t.s.X(1), 0.5);
    EXPECT_EQ(t.s.STEP(1), 0.5);
    EXPECT_EQ(t.max_dat.text, "");
    EXPECT_EQ(t.par_err.text, c.par_err);
  }
}

// A zero step probes the unchanged point twice (equal values are failures),
// stays zero and always counts as small.
TEST(Methgi, ZeroStepProbesInPlaceAndCountsAsSmall) {
  Search t(1);
  t.param(1, 2.0, 0.0);
  t.run(quadratic, 0.0, 0.5, 0.0, 100, 1);

  EXPECT_EQ(t.path(), std::vector<double>(14, 2.0));
  EXPECT_EQ(t.s.OPTPAR1.NFUN, 14);
  EXPECT_EQ(t.s.OPTPAR1.NITER, 1);
  EXPECT_EQ(t.s.OPTPAR1.FMAX, -1.0);
  EXPECT_EQ(t.s.STEP(1), 0.0);
  EXPECT_EQ(t.max_dat.text, "");
}

// On a flat objective every probe equals FB and fails, so each iteration
// reverses the step and, from the second on, halves it first: the step shrinks
// fourfold per iteration until it is below delta (strictly; EPSX = 0).
TEST(Methgi, FlatObjectiveShrinksTheStepUntilBelowDelta) {
  struct Case {
    double step;
    int32_t niter;
  };
  const Case cases[] = {{1.0, 11}, {2 * DELTA, 2}, {std::nextafter(2 * DELTA, 0.0), 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.step);
    Search t(1);
    t.param(1, 0.5, c.step);
    t.run([](KinfitState&) { return -4.0; }, 0.0, 0.5, 0.0, 100, 0);

    EXPECT_EQ(t.s.OPTPAR1.NITER, c.niter);
    EXPECT_EQ(t.s.OPTPAR1.NFUN, 1 + 13 * c.niter);
    EXPECT_EQ(t.calls(), 1 + 13 * c.niter);
    EXPECT_EQ(t.s.OPTPAR1.FMAX, -4.0);
    EXPECT_NEAR(t.s.X(1), 0.5, 1e-15);
  }

  Search t(1);
  t.param(1, 0.5, 1.0);
  t.run([](KinfitState&) { return -4.0; }, 0.0, 0.5, 0.0, 100, 0);
  std::vector<double> want = {0.5, -0.5, 1.5};
  want.insert(want.end(), 11, 0.5);
  want.insert(want.end(), {0.75, 0.25});  // step -0.5 halved to -0.25
  want.insert(want.end(), 11, 0.5);
  want.insert(want.end(), {0.4375, 0.5625});  // step 0.125 halved to 0.0625
  const std::vector<double> path = t.path();
  ASSERT_GE(path.size(), want.size());
  EXPECT_EQ(std::vector<double>(path.begin(), path.begin() + 29), want);
  EXPECT_EQ(t.s.X(1), 0.5);
  EXPECT_EQ(t.s.STEP(1), -0.5 / 1048576);
}

// Iteration 2 jumps past the peak at 3; ten contractions walk back towards 3.5
// and stop at a point slightly worse than 3.5; the step test converges there,
// so FMAX is that value and not the best one seen.
TEST(Methgi, TenContractionsThenConvergedAtTheLastContractedPoint) {
  Search t(1);
  t.param(1, 0.0, -1.0);
  t.run(quadratic, 0.0, 0.5, 0.7, 100, 1);

  const std::vector<double> want = {0.0,      1.0,       2.0,        3.5,         6.0,          4.75,         4.125,
                                    3.8125,   3.65625,   3.578125,   3.5390625,   3.51953125,   3.509765625,
                                    3.5048828125, 3.50244140625};
  EXPECT_EQ(t.path(), want);
  EXPECT_EQ(t.s.OPTPAR1.NFUN, 15);
  EXPECT_EQ(t.s.OPTPAR1.NITER, 2);
  EXPECT_EQ(t.s.OPTPAR1.FMAX, -(0.50244140625 * 0.50244140625));
  EXPECT_LT(t.s.OPTPAR1.FMAX, -0.25);
  EXPECT_EQ(t.s.X(1), 3.50244140625);
  EXPECT_EQ(t.s.STEP(1), -2.25);
  // Only iteration 1 leaves a block.
  EXPECT_EQ(t.max_dat.text.substr(0, 28), " number of iterations =   1\n");
  EXPECT_EQ(t.max_dat.text.find("iterations =   2"), std::string::npos);
}

// After ten failed contractions FB takes the value of the last contracted
// point even though it is below the previous FB: in iteration 3 the probe at
// 2.37744140625, worse than the old FB of 3 but better than the new one,
// therefore succeeds.
TEST(Methgi, TenContractionsLowerFBAndTheSearchGoesOn) {
  Search t(1);
  t.param(1, 0.0, -1.0);
  auto f = [](KinfitState& s) {
    const double x = s.X(1);
    return x <= 3.5 ? 3 - 0.001 * (3.5 - x) : 3 - (x - 3.5);
  };
  t.run(f, 0.0, 0.5, 0.0, 2, 1);

  const std::vector<double> want = {
      // iteration 1: probe, pattern point
      0.0, 1.0, 2.0,
      // iteration 2: probe, pattern point through base 1, ten contractions towards 3.5
      3.5, 6.0, 4.75, 4.125, 3.8125, 3.65625, 3.578125, 3.5390625, 3.51953125, 3.509765625,
      3.5048828125, 3.50244140625,
      // iteration 3: halved step 1.125, failed probe, successful opposite probe
      4.62744140625, 2.37744140625,
      // pattern point through base 3.5 (the explored point of iteration 2, not
      // the contracted point where this exploration began), ten contractions
      // towards 2.37744140625
      1.2548828125, 1.816162109375, 2.0968017578125, 2.23712158203125, 2.307281494140625,
      2.3423614501953125, 2.35990142822265625, 2.368671417236328125, 2.3730564117431640625,
      2.37524890899658203125, 2.376345157623291015625};
  EXPECT_EQ(t.path(), want);
  EXPECT_EQ(t.s.OPTPAR1.NFUN, 28);
  EXPECT_EQ(t.s.OPTPAR1.NITER, 3);
  EXPECT_EQ(t.s.STEP(1), 0.84375);
  EXPECT_EQ(t.par_err.text, kNotFound);
  EXPECT_EQ(t.s.X(1), 2.376345157623291015625);
  EXPECT_EQ(t.s.OPTPAR1.FMAX, 3 - 0.001 * (3.5 - 2.376345157623291015625));
  // Iteration 2's block: the better of F and FB, then F, then FB.
  const std::string text = t.max_dat.text;
  const size_t at = text.find(" number of iterations =   2\n");
  ASSERT_NE(at, std::string::npos);
  const size_t line3 = text.find(" ln LH =", at);
  EXPECT_EQ(text.substr(line3, text.find('\n', line3) + 1 - line3),
            " ln LH =      0.30000000E+01      0.29975586E+01      0.30000000E+01\n");
}

// A successful pattern point ends the search when it gains less than EPSF over
// the previous iteration's FB (strictly: a gain equal to EPSF goes on).
TEST(Methgi, ConvergenceByTheGainAfterASuccessfulPatternMove) {
  struct Case {
    double epsf;
    int32_t niter;
    std::vector<double> path;
    std::string par_err;
  };
  const Case cases[] = {
      {4.5, 2, {0.0, 1.0, 2.0, 3.5, 6.0}, ""},
      {4.0, 3, {0.0, 1.0, 2.0, 3.5, 6.0, 8.25, 13.0}, kNotFound},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.epsf);
    Search t(1);
    t.param(1, 0.0, -1.0);
    t.run(linear, c.epsf, 0.5, 0.0, 2, 0);

    EXPECT_EQ(t.path(), c.path);
    EXPECT_EQ(t.s.OPTPAR1.NITER, c.niter);
    EXPECT_EQ(t.s.OPTPAR1.NFUN, t.calls());
    EXPECT_EQ(t.s.OPTPAR1.FMAX, c.path.back());
    EXPECT_EQ(t.s.X(1), c.path.back());
    EXPECT_EQ(t.par_err.text, c.par_err);
    EXPECT_EQ(t.max_dat.text, "");  // IPRINT 0
  }
}

TEST(Methgi, ProgressBlocks) {
  for (int32_t iprint : {1, 0, -1}) {
    SCOPED_TRACE(iprint);
    Search t(1);
    t.param(1, 0.0, -1.0);
    t.s.X(11) = 0.25;
    t.s.X(20) = -123.456;
    t.s.STEP(20) = 0.1;
    t.run(linear, 0.0, 0.5, 0.0, 2, iprint);

    EXPECT_EQ(t.s.OPTPAR1.NITER, 3);
    EXPECT_EQ(t.par_err.text, kNotFound);
    if (iprint < 1) {
      EXPECT_EQ(t.max_dat.text, "");
      continue;
    }
    EXPECT_EQ(t.max_dat.text,
              " number of iterations =   1\n"
              " number of functions =     3\n"
              " ln LH =      0.20000000E+01      0.20000000E+01      0.10000000E+01\n"
              "        parameter       step               parameter       step\n"
              "  1    0.200000E+01  -0.150000E+01   11    0.250000E+00   0.000000E+00\n"
              "  2    0.000000E+00   0.000000E+00   12    0.000000E+00   0.000000E+00\n"
              "  3    0.000000E+00   0.000000E+00   13    0.000000E+00   0.000000E+00\n"
              "  4    0.000000E+00   0.000000E+00   14    0.000000E+00   0.000000E+00\n"
              "  5    0.000000E+00   0.000000E+00   15    0.000000E+00   0.000000E+00\n"
              "  6    0.000000E+00   0.000000E+00   16    0.000000E+00   0.000000E+00\n"
              "  7    0.000000E+00   0.000000E+00   17    0.000000E+00   0.000000E+00\n"
              "  8    0.000000E+00   0.000000E+00   18    0.000000E+00   0.000000E+00\n"
              "  9    0.000000E+00   0.000000E+00   19    0.000000E+00   0.000000E+00\n"
              " 10    0.000000E+00   0.000000E+00   20   -0.123456E+03   0.100000E+00\n"
              " number of iterations =   2\n"
              " number of functions =     5\n"
              " ln LH =      0.60000000E+01      0.60000000E+01      0.35000000E+01\n"
              "        parameter       step               parameter       step\n"
              "  1    0.600000E+01  -0.225000E+01   11    0.250000E+00   0.000000E+00\n"
              "  2    0.000000E+00   0.000000E+00   12    0.000000E+00   0.000000E+00\n"
              "  3    0.000000E+00   0.000000E+00   13    0.000000E+00   0.000000E+00\n"
              "  4    0.000000E+00   0.000000E+00   14    0.000000E+00   0.000000E+00\n"
              "  5    0.000000E+00   0.000000E+00   15    0.000000E+00   0.000000E+00\n"
              "  6    0.000000E+00   0.000000E+00   16    0.000000E+00   0.000000E+00\n"
              "  7    0.000000E+00   0.000000E+00   17    0.000000E+00   0.000000E+00\n"
              "  8    0.000000E+00   0.000000E+00   18    0.000000E+00   0.000000E+00\n"
              "  9    0.000000E+00   0.000000E+00   19    0.000000E+00   0.000000E+00\n"
              " 10    0.000000E+00   0.000000E+00   20   -0.123456E+03   0.100000E+00\n");
  }
}

}  // namespace
