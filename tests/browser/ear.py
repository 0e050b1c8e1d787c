"""The played run's own ear on the game's music: the page's <audio> element
(Module.riderozadMusic) routed through an analyser of the test's, and every
play and pause it makes noted with whether the page was hidden or its WebGL
context lost at that moment."""

ATTACH = """(() => {
  const audio = Module.riderozadMusic;
  const context = new AudioContext();
  const analyser = context.createAnalyser();
  analyser.fftSize = 2048;
  context.createMediaElementSource(audio).connect(analyser);
  analyser.connect(context.destination);
  const gl = Module.canvas.getContext("webgl2");
  const events = [];
  for (const type of ["play", "pause"])
    audio.addEventListener(type, () => events.push(
        type + (document.hidden || gl.isContextLost() ? " while gone" : "")));
  window.testEar = {audio, context, analyser, events};
  return context.state;
})()"""

# What it hears now: the element's state and the loudest frequency.
HEAR = """(() => {
  const ear = window.testEar, audio = Module.riderozadMusic;
  const bins = new Float32Array(ear.analyser.frequencyBinCount);
  ear.analyser.getFloatFrequencyData(bins);
  let loudest = 0;
  for (let i = 1; i < bins.length; ++i) if (bins[i] > bins[loudest]) loudest = i;
  return {present: !!audio, same: audio === ear.audio, paused: audio ? audio.paused : true,
          time: audio ? audio.currentTime : 0, events: ear.events.slice(),
          level: isFinite(bins[loudest]) ? bins[loudest] : -1000,
          peak: loudest * ear.context.sampleRate / ear.analyser.fftSize};
})()"""

# Music a player hears: the analyser's loudest frequency above this level
# (dB below full scale); a silent graph gives -1000 here.
HEARD_DB = -80


def attach(browser):
    """Puts the ear on the page's music element; returns the state of its
    audio graph."""
    return browser.evaluate(ATTACH)


def hear(browser):
    """The element's state (present, the game's one, paused, time), its
    plays and pauses so far, and the loudest frequency and its level."""
    return browser.evaluate(HEAR)


def forget(browser):
    """Clears the plays and pauses noted so far."""
    browser.evaluate("testEar.events.length = 0")
