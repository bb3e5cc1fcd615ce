# Sings recorded speech: each line of the jobs file is
#   input.wav pitch.PitchTier|- stretch output.wav
# The pitch tier replaces the clip's own melody ("-" keeps it, for speech), the
# stretch lengthens or shortens it; PSOLA keeps the speaker's formants.
form Sing
  sentence jobs
endform
list = Read Strings from raw text file: jobs$
n = Get number of strings
for i from 1 to n
  selectObject: list
  line$ = Get string: i
  inf$ = extractWord$(line$, "")
  rest$ = replace$(line$, inf$ + " ", "", 1)
  ptf$ = extractWord$(rest$, "")
  rest$ = replace$(rest$, ptf$ + " ", "", 1)
  stretch = extractNumber(rest$, "")
  outf$ = extractWord$(rest$, " ")
  s = Read from file: inf$
  dur = Get total duration
  m = To Manipulation: 0.01, 60, 700
  if ptf$ <> "-"
    pt = Read from file: ptf$
    selectObject: m, pt
    Replace pitch tier
    removeObject: pt
  endif
  dt = Create DurationTier: "d", 0, dur
  Add point: 0, stretch
  selectObject: m, dt
  Replace duration tier
  selectObject: m
  r = Get resynthesis (overlap-add)
  Save as WAV file: outf$
  removeObject: s, m, dt, r
endfor
