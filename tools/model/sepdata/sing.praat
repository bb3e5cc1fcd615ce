# Sings recorded speech: each line of the jobs file is
#   input.wav pitch.PitchTier|- duration.DurationTier output.wav
# The pitch tier replaces the clip's own melody ("-" keeps it, for speech), the
# duration tier lengthens or shortens it, part by part; PSOLA keeps the speaker's
# formants. The seed fixes PSOLA's random periods in unvoiced stretches.
form Sing
  sentence jobs
  natural seed 1
endform
random_initializeWithSeedUnsafelyButPredictably (seed)
list = Read Strings from raw text file: jobs$
n = Get number of strings
for i from 1 to n
  selectObject: list
  line$ = Get string: i
  inf$ = extractWord$(line$, "")
  rest$ = replace$(line$, inf$ + " ", "", 1)
  ptf$ = extractWord$(rest$, "")
  rest$ = replace$(rest$, ptf$ + " ", "", 1)
  dtf$ = extractWord$(rest$, "")
  outf$ = replace$(rest$, dtf$ + " ", "", 1)
  s = Read from file: inf$
  m = To Manipulation: 0.01, 60, 700
  if ptf$ <> "-"
    pt = Read from file: ptf$
    selectObject: m, pt
    Replace pitch tier
    removeObject: pt
  endif
  dt = Read from file: dtf$
  selectObject: m, dt
  Replace duration tier
  selectObject: m
  r = Get resynthesis (overlap-add)
  Save as WAV file: outf$
  removeObject: s, m, dt, r
endfor
