// The page object's command transcript over the real plug-in, in the page runner, printed as one
// line of JSON; the remotes' device ids come as the page's first argument (JSON: {name: id}).
//   page-runner plugin-transcript.js '{"E": "...", ...}'
import { commandTranscript } from './pageObjectCases.js';

const lines = await commandTranscript(embed(), JSON.parse(page.args[0]));
console.log(JSON.stringify(lines));
page.exit(0);
