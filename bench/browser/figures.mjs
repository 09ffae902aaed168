// What the benchmarks that drive a browser share: their command line (--build DIR [--quick]),
// medians, and the line of one figure beside its baseline or goal.

// The options of `node NAME.mjs --build DIR [--quick]`; exits with its usage for anything else.
export function benchOptions(name) {
  const options = { quick: false, build: null };
  let bad = false;
  for (let i = 2; i < process.argv.length; i++) {
    const arg = process.argv[i];
    if (arg === '--quick')
      options.quick = true;
    else if (arg === '--build')
      options.build = process.argv[++i] ?? '';
    else
      bad = true;
  }
  if (bad || !options.build) {
    console.error(`usage: ${name}.mjs --build DIR [--quick]`);
    process.exit(2);
  }
  return options;
}

export function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted.length ? sorted[Math.floor((sorted.length - 1) / 2)] : NaN;
}

export const ms = (us) => `${(us / 1000).toFixed(2)} ms`;

// One figure: what it is, its value, its goal (or "baseline") and whether it is met (null: a
// figure without a goal).
export function report(what, figure, goal, met) {
  const verdict = met === null ? '' : met ? 'met' : 'MISSED';
  console.log(`  ${what.padEnd(62)} ${figure.padEnd(24)} ${(met === null ? goal : `goal ${goal}`).padEnd(22)} ${verdict}`);
}
