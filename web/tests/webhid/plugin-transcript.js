// A transcript of the page object's cases over the real plug-in, in the page runner, printed as
// one line of JSON: "commands" (transcript-remotes.sim) or "numbered" (numbered-remote.sim), with
// the remotes' device ids as JSON ({name: id}).
//   page-runner plugin-transcript.js commands '{"E": "...", ...}'
import { commandTranscript, numberedTranscript } from './pageObjectCases.js';

const transcripts = { commands: commandTranscript, numbered: numberedTranscript };
const lines = await transcripts[page.args[0]](embed(), JSON.parse(page.args[1]));
console.log(JSON.stringify(lines));
page.exit(0);
